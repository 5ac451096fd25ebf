#pragma once

#include <QPrintDialog>
#include <optional>
#include <vector>

#include "platform/platform.h"

class QPrinter;
class QWidget;

namespace korvex {

// A list of pages as the print dialog's "Seiten" field holds it ("3",
// "1,3", "2-4, 7"): numbers from 1 and ranges, separated by commas; nothing
// when the text is no such list.
std::optional<std::vector<PageChoice::Range>> pageListFromText(const QString& text);

// The system's print dialog on the current printer: printer and its settings,
// copies, a range or a list of pages, odd or even pages, a PDF file instead of
// a printer; no selection. Qt's dialog refuses a list of a single page ("3")
// and leaves every list to the print system, which would apply it to each
// one-page job: the list is read here instead.
class PrintSetupDialog : public QPrintDialog {
public:
    PrintSetupDialog(QPrinter& printer, QWidget* parent);

    void accept() override;
    // The pages chosen at OK, taken off the printer (see takePageChoice).
    PageChoice chosenPages() const { return chosenPages_; }

private:
    PageChoice chosenPages_;
};

// The pages a confirmed print dialog chose on the printer. The choice is
// taken off the printer again: every job holds one page, so a range or an
// odd/even set left to the print system would blank or drop the wrong pages.
PageChoice takePageChoice(QPrinter& printer);

}  // namespace korvex
