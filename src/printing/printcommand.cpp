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
    if (withHeader && !header.isEmpty())
        headerLine = withMargin(layout, firstDisplayLine(window, header).toStdString());

    form.LstBoxDruck.clear();
    std::vector<std::string> printBuffer;
    printBuffer.reserve(static_cast<size_t>(lineCount));
    for (int i = 0; i < lineCount; ++i) {
        const QString line = fromCp1252(withMargin(layout, window.get(i)));
        form.LstBoxDruck << line;
        printBuffer.push_back(line.toStdString());
    }

    PrintJob& job = platform.printJob();
    const QColor colour = toQColor(window.colours().text);
    const int pages = pageCount(lineCount, layout);
    for (int page = 0; page < pages; ++page) {
        job.BeginJob();
        try {
            job.SetJobFont(form.LstBoxDruckFont, colour);
            for (const std::string& line : pageLines(layout, page, printBuffer, headerLine)) {
                job.WriteLine(QString::fromStdString(line));
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
