#include "printing/printrun.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QLocale>
#include <QProgressDialog>

#include "base/fontsize.h"
#include "base/kxerror.h"
#include "display/documenttext.h"
#include "display/screencolours.h"
#include "display/textprimitives.h"

namespace korvex::printing {
namespace {

// "Seite 812 von 11.058" while the jobs go out; the window stays painted,
// and "Abbrechen" sends no further page (the job under way is finished).
class PrintProgress {
public:
    PrintProgress(QWidget& parent, int pageCount)
        : dialog_(QString(), QStringLiteral("Abbrechen"), 0, pageCount, &parent), total_(pageCount) {
        dialog_.setObjectName(QStringLiteral("PrintProgress"));
        dialog_.setWindowTitle(QStringLiteral("Drucken"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(400);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
    }
    // Before the job of a page (numbered from 1); also lets window events run.
    void reachPage(int pageNumber) {
        const QLocale german(QLocale::German, QLocale::Germany);
        dialog_.setLabelText(
            QStringLiteral("Seite %1 von %2").arg(german.toString(pageNumber), german.toString(total_)));
        dialog_.setValue(pageNumber - 1);
        QCoreApplication::processEvents();
    }
    bool cancelled() const { return dialog_.wasCanceled(); }

private:
    QProgressDialog dialog_;
    int total_;
};

}  // namespace

std::optional<bool> askForHeader(MainWindow& window) {
    if (window.headerText().isEmpty()) return false;
    const MainWindowIntentions::Answer answer = window.ask(QStringLiteral("Mit Kopfzeile drucken?"));
    if (answer == MainWindowIntentions::Answer::Cancel) return std::nullopt;
    return answer == MainWindowIntentions::Answer::Yes;  // closed without an answer: no header
}

PrintRun prepareRun(MainWindow& window, bool withHeader) {
    TextPrimitives& textWindow = window.textWindow();
    textWindow.finishLoading();  // every page, never those of the part in so far
    const int lineCount = textWindow.count();
    window.dropPrintBuffer();
    PrintBuffer buffer;
    QFont font = textWindow.textFont();
    const int pointSize = pointSizeFromPixels(QFontInfo(font).pixelSize(), textWindow.dotsPerInch());
    font.setPointSize(pointSize);
    buffer.font = font;

    PrintRun run;
    run.layout = pageLayoutFor(pointSize, font.family().toStdString(), withHeader);
    const QString header = window.headerText();
    if (withHeader && !header.isEmpty()) {
        run.headerLine = withMargin(run.layout, toCp1252(textWindow.firstDisplayLineOf(header)));
    }
    buffer.lines.reserve(static_cast<size_t>(lineCount));
    textWindow.forEach([&](std::string_view line) { buffer.lines.push_back(withMargin(run.layout, line)); });

    run.font = buffer.font;
    run.colour = toQColor(textWindow.colours().text);
    run.pageCount = pageCount(lineCount, run.layout);
    run.lines = &window.keepPrintBuffer(std::move(buffer)).lines;
    return run;
}

void sendPage(const PrintRun& run, int page, PrintJob& job) {
    job.BeginJob();
    try {
        job.SetJobFont(run.font, run.colour);
        for (const std::string& line : pageLines(run.layout, page, *run.lines, run.headerLine)) {
            job.WriteLine(fromCp1252(line));
        }
        job.EndJob();
    } catch (const KxError&) {
        job.AbandonJob();
        throw;
    }
}

void sendPages(Platform& platform, QWidget& window, const PrintRun& run, const PageChoice& choice) {
    PrintJob& job = platform.printJob();
    PrintProgress progress(window, run.pageCount);
    for (int page = 0; page < run.pageCount && !progress.cancelled(); ++page) {
        if (!choice.includes(page + 1)) continue;
        progress.reachPage(page + 1);
        sendPage(run, page, job);
    }
    job.EndRun();
}

}  // namespace korvex::printing
