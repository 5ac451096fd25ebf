#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "printing/printflow.h"

class QPainter;
class QPrinter;

namespace korvex {

// A print job on a Qt printer (through CUPS on Linux): lines are drawn with a
// painter as the print flow places them, in the font's size in points at the
// printer's resolution.
class QtPrintJob : public PrintJob {
public:
    explicit QtPrintJob(QPrinter& printer);
    ~QtPrintJob() override;

    void BeginJob() override;
    void SetJobFont(const QFont& font, const QColor& colour) override;
    void WriteLine(const QString& text) override;
    void EndJob() override;
    void AbandonJob() override;

    // The print dialog was confirmed. When it chose a file, the first job
    // goes to that file and every later one to a numbered file beside it
    // ("name-2.pdf", ...), so a run of jobs keeps all its pages.
    void startRun();

    QPrinter& printer() { return printer_; }

private:
    void requireOpen() const;
    void finish();

    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    std::optional<PrintFlow> flow_;
    QString chosenFile_;
    int jobsInRun_ = 0;
};

}  // namespace korvex
