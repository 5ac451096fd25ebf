#pragma once

#include <QColor>
#include <QFont>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "printing/mainwindow.h"
#include "printing/pagelayout.h"

namespace korvex::printing {

// The pages of one run as the print command sends them; printing and the
// preview both produce every page from this, through a PrintJob.
struct PrintRun {
    PageLayout layout;
    std::string headerLine;  // with the margin in front; empty without header
    QFont font;
    QColor colour;
    int pageCount = 0;
    // The print buffer, read with a bound check on every line: window events
    // run while jobs go out, and a later run may refill it.
    const std::vector<std::string>* lines = nullptr;
};

// The header question when the header field holds text: true for a page
// header, false without one; nothing when the user cancelled.
std::optional<bool> askForHeader(MainWindow& window);

// Layout, header line, font and print buffer from the text window as it is
// now. The text window, its caret, selection and undo history stay as they are.
PrintRun prepareRun(MainWindow& window, bool withHeader);

// One page as one job: begin, font, header, lines, footer, end. A failed job
// is dropped, so the printer is free for the next run.
void sendPage(const PrintRun& run, int page, PrintJob& job);

// The chosen pages to the current printer, one job each, with progress shown
// over `window` and window events processed between the jobs.
void sendPages(Platform& platform, QWidget& window, const PrintRun& run, const PageChoice& choice);

}  // namespace korvex::printing
