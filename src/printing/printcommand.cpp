#include "printing/printcommand.h"

#include <QFontInfo>
#include <QPlainTextEdit>
#include <QTextLayout>
#include <string>
#include <vector>

#include "app/kxerror.h"
#include "app/qtconvert.h"
#include "app/textwindow.h"
#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "document/headerfield.h"
#include "platform/platform.h"
#include "printing/pagelayout.h"

namespace korvex::printing {
namespace {

// The first display line of a text as the text window would show it at its
// current width and font, laid out on its own so the window's text stays untouched.
QString firstDisplayLine(const QPlainTextEdit& window, const QString& text) {
    const QTextDocument* document = window.document();
    QTextLayout layout(text, document->defaultFont());
    layout.setTextOption(document->defaultTextOption());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    QString first;
    if (line.isValid()) {
        line.setLineWidth(window.viewport()->width() - 2 * document->documentMargin());
        first = text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return first;
}

}  // namespace

void print(TForm1& form) {
    Platform& platform = form.platform();
    TextWindow& window = *form.MemArbeitsfenster;
    if (!platform.askPrintSetup(&form)) {
        form.FocusTextWindow();
        return;
    }

    bool withHeader = false;
    const int lineCount = window.count();
    const QString header = form.EdiKopfzeile->text();
    if (!header.isEmpty()) {
        TKxMsgDlg& question = *form.KxMsgDlg;
        question.Execute(QStringLiteral("Mit Kopfzeile drucken?"));
        if (question.CancelChosen) return;
        withHeader = question.YesChosen;  // closed without an answer: no header
    }

    QFont font = window.font();
    const int pointSize = pointSizeFromPixels(QFontInfo(font).pixelSize(), window.logicalDpiY());
    font.setPointSize(pointSize);
    form.LstBoxDruckFont = font;
    const PageLayout layout = pageLayoutFor(pointSize, font.family().toStdString(), withHeader);

    std::string headerLine;
    if (withHeader && !header.isEmpty()) headerLine = withMargin(layout, toCp1252(firstDisplayLine(window, header)));

    std::vector<std::string>& printBuffer = form.LstBoxDruck;
    printBuffer.clear();
    printBuffer.shrink_to_fit();  // the last run's lines go before this run's come
    printBuffer.reserve(static_cast<size_t>(lineCount));
    window.forEach([&](std::string_view line) { printBuffer.push_back(withMargin(layout, line)); });

    PrintJob& job = platform.printJob();
    const QColor colour = toQColor(window.colours().text);
    const int pages = pageCount(lineCount, layout);
    for (int page = 0; page < pages; ++page) {
        job.BeginJob();
        try {
            job.SetJobFont(form.LstBoxDruckFont, colour);
            for (const std::string& line : pageLines(layout, page, printBuffer, headerLine)) {
                job.WriteLine(fromCp1252(line));
            }
            job.EndJob();
        } catch (const KxError&) {
            // A broken job is dropped, so the printer is free for the next run.
            job.AbandonJob();
            throw;
        }
    }
    form.FocusTextWindow();
}

}  // namespace korvex::printing
