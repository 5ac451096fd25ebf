// The print command with a recording print job, the real print job on PDF
// files, and (when a print system is set up for it) the whole way through
// the default printer.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <map>

#include "app/uKorvex21.h"
#include "base/kxerror.h"
#include "dialogs/uKxMsgDlg.h"
#include "display/documenttext.h"
#include "document/headerfield.h"
#include "platform/printdialog.h"
#include "platform/printjob.h"
#include "printing/previewwindow.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

const QString kBlanks12(12, QLatin1Char(' '));

QString numberedLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i) lines << QStringLiteral("Zeile %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

class PrintCommandTest : public MainWindowTest {
protected:
    // The text of the last question answered.
    QString question() const { return answers.questions().value(answers.questions().size() - 1); }
    // Runs the command from the header field, as the focus would be when the button is pressed.
    void printFromHeaderField() {
        form().EdiKopfzeile->setFocus();
        QApplication::processEvents();
        form().SpButDruckenClick();
        QApplication::processEvents();
    }
    const std::vector<RecordingPrintJob::Job>& jobs() const { return platform.printed.jobs; }
};

// Runs that end before anything is printed, and where they leave the focus.
TEST_F(PrintCommandTest, EndsWithoutPrinting) {
    memo().setPlainText(QStringLiteral("Text"));

    printFromHeaderField();  // print dialog cancelled
    EXPECT_EQ(form().focusWidget(), &memo());

    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    platform.printSetupAnswers = {true};
    answers.answerNext(Reply::Abbrechen);
    printFromHeaderField();
    EXPECT_EQ(question(), QStringLiteral("Mit Kopfzeile drucken?"));
    EXPECT_EQ(form().focusWidget(), form().EdiKopfzeile);

    platform.noDefaultPrinter = true;
    printFromHeaderField();
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Zur Zeit ist kein Standarddrucker gewählt")});
    EXPECT_EQ(form().focusWidget(), form().EdiKopfzeile);

    EXPECT_TRUE(jobs().empty());
    EXPECT_EQ(platform.printSetups, 2);
}

TEST_F(PrintCommandTest, PrintsOneJobPerPageWithMarginAndFooter) {
    memo().setPlainText(numberedLines(150));
    ASSERT_EQ(memo().count(), 150);
    platform.printSetupAnswers = {true};
    printFromHeaderField();

    ASSERT_EQ(jobs().size(), 3u);
    for (int page = 0; page < 3; ++page) {
        const auto& job = jobs()[static_cast<size_t>(page)];
        SCOPED_TRACE(page);
        EXPECT_TRUE(job.ended);
        EXPECT_EQ(job.font.family(), QStringLiteral("Courier New"));
        EXPECT_EQ(job.font.pointSize(), 10);
        ASSERT_EQ(job.lines.size(), 65);
        for (int i = 0; i < 63; ++i) {
            const int number = page * 63 + i + 1;
            EXPECT_EQ(job.lines[i], number <= 150 ? kBlanks12 + QStringLiteral("Zeile %1").arg(number) : QString());
        }
        EXPECT_EQ(job.lines[63], QString());
        EXPECT_EQ(job.lines[64], QString(48, QLatin1Char(' ')) + QStringLiteral("- %1 -").arg(page + 1));
    }
    EXPECT_EQ(form().printBuffer().lines.size(), 150U);
    EXPECT_EQ(form().focusWidget(), &memo());
}

// A command run while a big text was still coming in printed only the part in so far.
TEST_F(PrintCommandTest, RegressionPrintDuringLoadTookOnlyThePartLoaded) {
    memo().loadBytes(numberedLines(30'000).toStdString());
    ASSERT_TRUE(memo().isLoading());
    platform.printSetupAnswers = {true};
    form().SpButDruckenClick();  // called directly: no event the loading waits for comes first
    EXPECT_EQ(form().printBuffer().lines.size(), 30'000U);
    EXPECT_EQ(jobs().size(), (30'000U + 62) / 63);
}

TEST_F(PrintCommandTest, TitleBarCloseOfTheQuestionPrintsWithoutHeader) {
    memo().setPlainText(QStringLiteral("Text"));
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    platform.printSetupAnswers = {true};
    answers.answerNext(Reply::TitleBar);
    printFromHeaderField();
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].lines.value(0), kBlanks12 + QStringLiteral("Text"));
    EXPECT_EQ(jobs()[0].lines.size(), 65);
}

// The header is laid out on its own: the first display line goes on every
// page, and the text window keeps its text, caret and selection.
TEST_F(PrintCommandTest, HeaderPrintsItsFirstDisplayLineOnEveryPage) {
    const QString header = QStringLiteral("Kopfzeile mit vielen Wörtern ").repeated(4).trimmed();
    memo().setPlainText(header);
    const QString expectedHeader = kBlanks12 + fromCp1252(memo().get(0));  // as the window shows it
    ASSERT_GT(memo().count(), 1) << "the header must be longer than one display line";

    memo().setPlainText(numberedLines(70));
    QTextCursor cursor = memo().textCursor();
    cursor.setPosition(20);
    cursor.setPosition(35, QTextCursor::KeepAnchor);
    memo().setTextCursor(cursor);
    const QString textBefore = memo().toPlainText();
    const int undoStepsBefore = memo().document()->availableUndoSteps();
    form().EdiKopfzeile->setText(header);
    platform.printSetupAnswers = {true};
    answers.answerNext(Reply::Ja);
    printFromHeaderField();

    ASSERT_EQ(jobs().size(), 2u);  // 61 lines a page with the header
    for (const auto& job : jobs()) {
        EXPECT_EQ(job.lines.value(0), expectedHeader);
        EXPECT_EQ(job.lines.value(1), QString());
        EXPECT_EQ(job.lines.size(), 65);
    }
    EXPECT_EQ(jobs()[1].lines.value(2), kBlanks12 + QStringLiteral("Zeile 62"));
    EXPECT_EQ(memo().toPlainText(), textBefore);
    EXPECT_EQ(memo().textCursor().anchor(), 20);
    EXPECT_EQ(memo().textCursor().position(), 35);
    EXPECT_EQ(memo().document()->availableUndoSteps(), undoStepsBefore);
}

TEST_F(PrintCommandTest, FailedJobEndsTheRunAndKeepsWhatWasPrinted) {
    memo().setPlainText(numberedLines(150));
    platform.printSetupAnswers = {true};
    platform.printed.failingBeginJob = 1;
    printFromHeaderField();
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_TRUE(jobs()[0].ended);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Ausgewählter Drucker ist ungültig")});
    EXPECT_EQ(form().focusWidget(), form().EdiKopfzeile);
    EXPECT_EQ(form().printBuffer().lines.size(), 150U);
    EXPECT_FALSE(platform.printed.open);
}

// The dialog's page choice sends exactly the jobs of those pages: no blank
// sheets, no other pages. Window events run and the progress counts while
// the jobs go out.
TEST_F(PrintCommandTest, ChosenPagesAreExactlyTheJobsSent) {
    memo().setPlainText(numberedLines(150));  // 3 pages
    struct Case {
        PageChoice choice;
        std::vector<int> pages;
    };
    const std::vector<Case> cases = {
        {{{{2, 2}}, PageChoice::Parity::All}, {2}},
        {{{}, PageChoice::Parity::Odd}, {1, 3}},
        {{{}, PageChoice::Parity::Even}, {2}},
        {{{{2, 9}}, PageChoice::Parity::All}, {2, 3}},
        {{{{1, 1}, {3, 3}}, PageChoice::Parity::All}, {1, 3}},
        {{{{1, 3}}, PageChoice::Parity::Even}, {2}},
        {{{{4, 5}}, PageChoice::Parity::All}, {}},
        {{}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.pages));
        platform.printed.jobs.clear();
        platform.pageChoice = c.choice;
        platform.printSetupAnswers = {true};
        printFromHeaderField();
        std::vector<int> sent;
        for (const auto& job : jobs()) {
            EXPECT_TRUE(job.ended);
            sent.push_back(job.lines.last().trimmed().mid(2).chopped(2).toInt());  // "- n -"
            EXPECT_EQ(job.lines.value(0), kBlanks12 + QStringLiteral("Zeile %1").arg((sent.back() - 1) * 63 + 1));
        }
        EXPECT_EQ(sent, c.pages);
    }
    EXPECT_EQ(platform.printed.runsEnded, static_cast<int>(cases.size()));
}

TEST_F(PrintCommandTest, ProgressCountsPagesWhileWindowEventsRun) {
    memo().setPlainText(numberedLines(63 * 1000 + 5));  // 1.001 pages
    platform.pageChoice = {{{999, 1001}}, PageChoice::Parity::All};
    bool eventRan = false;
    QStringList progress;
    platform.printed.onBeginJob = [&] {
        auto* dialog = form().findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
        progress << (dialog ? dialog->labelText() : QString()) + (eventRan ? QStringLiteral(" +") : QString());
        if (progress.size() == 1) QTimer::singleShot(0, [&] { eventRan = true; });
    };
    platform.printSetupAnswers = {true};
    printFromHeaderField();
    EXPECT_EQ(progress, QStringList({QStringLiteral("Seite 999 von 1.001"), QStringLiteral("Seite 1.000 von 1.001 +"),
                                     QStringLiteral("Seite 1.001 von 1.001 +")}));

    // "Abbrechen" sends no further page; the page under way is finished.
    platform.pageChoice = {};
    platform.printed.jobs.clear();
    platform.printed.onBeginJob = [&] {
        if (jobs().size() == 2) form().findChild<QProgressDialog*>(QStringLiteral("PrintProgress"))->cancel();
    };
    platform.printSetupAnswers = {true};
    printFromHeaderField();
    ASSERT_EQ(jobs().size(), 2u);
    EXPECT_TRUE(jobs()[1].ended);
    EXPECT_EQ(platform.printed.runsEnded, 2);
}

// --- The preview: "Seitenansicht ..." in the file menu. ---

class PrintPreviewTest : public PrintCommandTest {
protected:
    // Chooses the menu item; `look` runs on the preview when it shows, which
    // is then closed. False when no preview was shown.
    bool openPreview(const std::function<void(printing::PrintPreviewWindow&)>& look) {
        bool shown = false;
        QTimer poll;  // ends with this call, so no poll outlives what it looks at
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* window = form().findChild<printing::PrintPreviewWindow*>();
            if (window == nullptr || !window->isVisible()) return;
            poll.stop();
            shown = true;
            look(*window);
            window->reject();
        });
        poll.start();
        form().Seitenansicht1->trigger();
        QApplication::processEvents();
        return shown;
    }
    // The text of every piece of every sheet of every page, in order.
    static QStringList previewTexts(printing::PrintPreviewWindow& window) {
        QStringList texts;
        for (int page = 0; page < window.pageCount(); ++page) {
            for (const auto& sheet : window.sheetsOf(page)) {
                for (const auto& piece : sheet) texts << piece.text;
            }
        }
        return texts;
    }
    // The lines with text of every job the print command sent.
    QStringList printedTexts() const {
        QStringList texts;
        for (const auto& job : jobs()) {
            for (const QString& line : job.lines) {
                if (!line.isEmpty()) texts << line;
            }
        }
        return texts;
    }
};

TEST_F(PrintPreviewTest, HeaderQuestionIsAskedAsForPrinting) {
    memo().setPlainText(numberedLines(70));
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    struct Case {
        const char* name;
        Reply answer;
        bool shown;
        QString firstLine;
    };
    const std::vector<Case> cases = {
        {"JA", Reply::Ja, true, kBlanks12 + QStringLiteral("Kopf")},
        {"NEIN", Reply::Nein, true, kBlanks12 + QStringLiteral("Zeile 1")},
        {"Titelleiste", Reply::TitleBar, true, kBlanks12 + QStringLiteral("Zeile 1")},
        {"ABBRECHEN", Reply::Abbrechen, false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype asked = answers.questions().size();
        QStringList shownTexts;
        answers.answerNext(c.answer);
        EXPECT_EQ(openPreview([&](printing::PrintPreviewWindow& w) { shownTexts = previewTexts(w); }), c.shown);
        EXPECT_EQ(answers.questions().size(), asked + 1);
        EXPECT_EQ(question(), QStringLiteral("Mit Kopfzeile drucken?"));
        EXPECT_EQ(shownTexts.value(0), c.firstLine);
        if (!c.shown) continue;
        // The same answer to the print command sends the same lines.
        platform.printed.jobs.clear();
        platform.printSetupAnswers = {true};
        answers.answerNext(c.answer);
        printFromHeaderField();
        EXPECT_EQ(shownTexts, printedTexts());
    }
    EXPECT_EQ(platform.printSetups, 3);  // the preview itself asks for no printer
}

TEST_F(PrintPreviewTest, NothingInTheDocumentChanges) {
    memo().setPlainText(numberedLines(70) + QStringLiteral("\nohne Zeilenende"));
    form().EdiKopfzeile->setText(QStringLiteral("Kopfzeile mit vielen Wörtern ").repeated(4).trimmed());
    QTest::keyClicks(&memo(), QStringLiteral("x"));  // an edit to undo
    QTextCursor cursor = memo().textCursor();
    cursor.setPosition(20);
    cursor.setPosition(35, QTextCursor::KeepAnchor);
    memo().setTextCursor(cursor);
    for (const bool saved : {false, true}) {
        SCOPED_TRACE(saved);
        saved ? form().markSaved() : form().markChanged();
        const QString textBefore = memo().toPlainText();
        const QString headerBefore = form().EdiKopfzeile->text();
        const int undoBefore = memo().document()->availableUndoSteps();
        const int redoBefore = memo().document()->availableRedoSteps();
        const QString linesShownBefore = form().LabShowZeilenAnz->text();
        answers.answerNext(Reply::Ja);
        QStringList texts;
        ASSERT_TRUE(openPreview([&](printing::PrintPreviewWindow& w) {
            w.showPage(1);
            texts = previewTexts(w);
        }));
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_EQ(memo().toPlainText(), textBefore);
        EXPECT_EQ(form().EdiKopfzeile->text(), headerBefore);
        EXPECT_EQ(memo().textCursor().anchor(), 20);
        EXPECT_EQ(memo().textCursor().position(), 35);
        EXPECT_EQ(memo().document()->availableUndoSteps(), undoBefore);
        EXPECT_EQ(memo().document()->availableRedoSteps(), redoBefore);
        EXPECT_EQ(form().isSaved(), saved);
        EXPECT_EQ(form().LabShowZeilenAnz->text(), linesShownBefore);
    }
}

TEST_F(PrintPreviewTest, RegressionPreviewWasTallerThanTheScreen) {
    memo().setPlainText(numberedLines(3));
    QRect shown;
    QRect free;
    ASSERT_TRUE(openPreview([&](printing::PrintPreviewWindow& w) {
        shown = w.frameGeometry();
        free = w.screen()->availableGeometry();
    }));
    EXPECT_GE(shown.top(), free.top());
    EXPECT_LE(shown.bottom(), free.bottom()) << shown.height() << " px high on a screen of " << free.height();
}

TEST_F(PrintPreviewTest, PagingThroughThePreview) {
    memo().setPlainText(numberedLines(63 * 1000 + 5));  // 1.001 pages
    std::vector<int> pages;
    QString pageCountShown;
    QString firstLineShown;
    ASSERT_TRUE(openPreview([&](printing::PrintPreviewWindow& w) {
        pageCountShown = w.LabSeiten->text();
        const auto wheel = [&](int delta) {
            QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w.Ansicht->viewport(), &event);
        };
        const std::vector<std::function<void()>> steps = {
            [&] { QTest::keyClick(&w, Qt::Key_PageDown); },
            [&] { QTest::mouseClick(w.ButWeiter, Qt::LeftButton); },
            [&] { QTest::keyClick(&w, Qt::Key_PageUp); },
            [&] { QTest::keyClick(&w, Qt::Key_End, Qt::ControlModifier); },
            [&] { QTest::keyClick(&w, Qt::Key_PageDown); },  // stays on the last page
            [&] { wheel(120); },
            [&] { w.EdiSeite->setValue(500); },
            [&] { wheel(-120); },
            [&] { QTest::mouseClick(w.ButZurueck, Qt::LeftButton); },
            [&] { QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier); },
        };
        for (const auto& step : steps) {
            step();
            pages.push_back(w.currentPage() + 1);
            EXPECT_EQ(w.EdiSeite->value(), pages.back());
        }
        w.showPage(499);
        firstLineShown = w.sheetsOf(w.currentPage()).at(0).at(0).text;
    }));
    EXPECT_EQ(pageCountShown, QStringLiteral("von 1.001"));
    EXPECT_EQ(pages, (std::vector<int>{2, 3, 2, 1001, 1001, 1000, 500, 501, 500, 1}));
    EXPECT_EQ(firstLineShown, kBlanks12 + QStringLiteral("Zeile 31438"));  // 499 * 63 + 1
}

// "Drucken" in the preview sends what it shows through the print dialog,
// one job per chosen page, as the print command does.
TEST_F(PrintPreviewTest, PrintButtonSendsThePagesShown) {
    memo().setPlainText(numberedLines(150));
    platform.pageChoice = {{{2, 3}}, PageChoice::Parity::All};
    QStringList shownTexts;
    ASSERT_TRUE(openPreview([&](printing::PrintPreviewWindow& w) {
        for (int page = 1; page < 3; ++page) {
            const auto sheets = w.sheetsOf(page);
            for (const auto& piece : sheets.at(0)) shownTexts << piece.text;
        }
        w.ButDruckenClick();  // the print dialog is cancelled: nothing is sent
        EXPECT_TRUE(jobs().empty());
        platform.printSetupAnswers = {true};
        w.ButDruckenClick();
    }));
    EXPECT_EQ(platform.printSetups, 2);
    ASSERT_EQ(jobs().size(), 2u);
    EXPECT_EQ(printedTexts(), shownTexts);
}

// --- The real print job on PDF files, read back with poppler's tools. ---

struct Word {
    QRectF box;  // points, from the page's top-left
    QString text;
};
using Pages = std::vector<std::vector<Word>>;

// The output of a tool, or nothing when it is not installed.
std::optional<QString> runTool(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) return std::nullopt;
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

Pages wordsOf(const QString& pdf) {
    Pages pages;
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).value_or(QString());
    static const QRegularExpression tag(QString::fromLatin1(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            pages.emplace_back();
        } else if (!pages.empty()) {
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            pages.back().push_back({QRectF(topLeft, bottomRight), m.captured(5)});
        }
    }
    return pages;
}

int pageCountOf(const QString& pdf) {
    static const QRegularExpression pagesLine(QStringLiteral(R"(Pages:\s+(\d+))"));
    const auto m = pagesLine.match(runTool(QStringLiteral("pdfinfo"), {pdf}).value_or(QString()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

#define SKIP_WITHOUT_POPPLER()                                                   \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() || \
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())     \
    GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are needed to read the printed PDF"

class PdfPrintJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath(QStringLiteral("seite.pdf")));
    }
    double points(double pixels) const { return pixels * 72.0 / printer.resolution(); }
    QFont font(int pointSize) const {
        QFont f(QStringLiteral("Courier New"));
        f.setPointSize(pointSize);
        return f;
    }
    QRectF printable() const { return printer.pageLayout().paintRect(QPageLayout::Point); }

    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    QtPrintJob job{printer};
};

// Printed to a file, the jobs of a run are the pages of the one file the
// user named; a file beside it with a look-alike name stays as it was.
TEST_F(PdfPrintJobTest, LinesAdvanceTabsAlignAndPrintToFileWritesOnlyTheNamedFile) {
    SKIP_WITHOUT_POPPLER();
    const QString usersFile = dir.filePath(QStringLiteral("seite-2.pdf"));
    QFile planted(usersFile);
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("eigene Datei");
    planted.close();
    job.BeginJob();
    EXPECT_THROW(job.BeginJob(), KxError);  // "Druckvorgang läuft"
    job.SetJobFont(font(10), Qt::black);
    for (const char* line : {"eins", "", "drei", "a\tb", "vier"}) job.WriteLine(QString::fromLatin1(line));
    job.EndJob();
    job.BeginJob();
    job.WriteLine(QStringLiteral("zweiter"));
    job.EndJob();
    job.EndRun();

    const QFontMetricsF metrics(font(10), &printer);
    const double lineHeight = points(metrics.height() + 2);
    const QString pdf = dir.filePath(QStringLiteral("seite.pdf"));
    const Pages pages = wordsOf(pdf);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pageCountOf(pdf), 2);
    std::map<QString, QRectF> at;
    for (const Word& word : pages[0]) at[word.text] = word.box;
    ASSERT_EQ(at.size(), 5u);
    EXPECT_NEAR(at["eins"].left(), printable().left(), 0.5);  // no margin of its own
    EXPECT_NEAR(at["drei"].top() - at["eins"].top(), lineHeight + points(metrics.height()), 0.5);
    EXPECT_NEAR(at["a"].top() - at["drei"].top(), lineHeight, 0.5);
    EXPECT_NEAR(at["b"].left() - at["a"].left(), points(8 * metrics.averageCharWidth()), 0.5);
    EXPECT_NEAR(at["b"].top(), at["a"].top(), 0.5);
    EXPECT_NEAR(at["vier"].top() - at["a"].top(), lineHeight, 0.5);

    ASSERT_EQ(pages[1].size(), 1u);
    EXPECT_EQ(pages[1][0].text, QStringLiteral("zweiter"));
    EXPECT_NEAR(pages[1][0].box.top(), at["eins"].top(), 0.5);  // a new page starts at the top
    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    EXPECT_EQ(planted.readAll(), QByteArray("eigene Datei"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// A range left on the printer would go to the print system with every
// one-page job ("pages 2 to 2" printed blank sheets); the command takes it.
TEST_F(PdfPrintJobTest, PageRangeOfTheDialogIsTakenOffThePrinter) {
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    EXPECT_EQ(takePageChoice(printer), (PageChoice{{{2, 3}}, PageChoice::Parity::All}));
    EXPECT_EQ(printer.printRange(), QPrinter::AllPages);
    EXPECT_EQ(printer.fromPage(), 0);
    EXPECT_EQ(takePageChoice(printer), PageChoice{});
}

// Qt's print dialog refused a list of pages in "Seiten" ("3", "1,3": "Ungültige
// Seitendefinition") and would leave a list to the print system, which
// applies it to every one-page job: the list is read as the pages to send.
TEST(PrintSetupDialogTest, RegressionAListOfPagesWasRefused) {
    QPrinter printer(QPrinter::HighResolution);
    QStringList refusals;
    QTimer refusalCloser;  // the dialog's message about the field, answered as a user would
    QObject::connect(&refusalCloser, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                refusals << box->text();
                box->accept();
            }
        }
    });
    refusalCloser.start(10);
    const std::vector<std::pair<QString, std::vector<PageChoice::Range>>> lists = {
        {QStringLiteral("3"), {{3, 3}}},
        {QStringLiteral("1,3"), {{1, 1}, {3, 3}}},
        {QStringLiteral(" 2-4, 7 "), {{2, 4}, {7, 7}}}};
    for (const auto& [text, pages] : lists) {
        SCOPED_TRACE(text.toStdString());
        PrintSetupDialog dialog(printer, nullptr);
        dialog.show();
        auto* listChosen = dialog.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
        auto* list = dialog.findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
        ASSERT_TRUE(listChosen && list);
        listChosen->setChecked(true);
        list->setText(text);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosenPages(), (PageChoice{pages, PageChoice::Parity::All}));
        EXPECT_TRUE(refusals.isEmpty()) << refusals.join(u'|').toStdString();
        refusals.clear();
    }
    // No list: the dialog says so and stays open as the user left it.
    PrintSetupDialog dialog(printer, nullptr);
    dialog.show();
    dialog.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"))->setText(QStringLiteral("4-2"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(refusals.size(), 1);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"))->isChecked());
    dialog.reject();
}

// A list of pages and odd/even go to a CUPS printer as job options; they
// are taken off as well (runs where a CUPS printer is the default).
TEST(CupsPageChoiceTest, PageListAndParityAreTakenOffTheJobOptions) {
    QPrinter printer(QPrinter::HighResolution);
    const auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    printer.printEngine()->setProperty(cupsOptions, QStringList{QStringLiteral("page-ranges"), QStringLiteral("1-2,5"),
                                                                QStringLiteral("page-set"), QStringLiteral("even")});
    if (printer.printEngine()->property(cupsOptions).toStringList().isEmpty()) {
        GTEST_SKIP() << "the default printer is no CUPS printer";
    }
    EXPECT_EQ(takePageChoice(printer), (PageChoice{{{1, 2}, {5, 5}}, PageChoice::Parity::Even}));
    EXPECT_TRUE(printer.printEngine()->property(cupsOptions).toStringList().isEmpty());
}

TEST_F(PdfPrintJobTest, TallFontBreaksSheetsAndWideLinesContinue) {
    SKIP_WITHOUT_POPPLER();
    const QString wide = QStringLiteral("0123456789").repeated(4);
    QStringList expected;
    job.BeginJob();
    job.SetJobFont(font(72), Qt::black);
    for (int i = 1; i <= 12; ++i) {
        expected << QStringLiteral("Z%1").arg(i);
        job.WriteLine(expected.back());
    }
    job.WriteLine(wide);
    job.EndJob();
    job.EndRun();

    const QString pdf = dir.filePath(QStringLiteral("seite.pdf"));
    const Pages pages = wordsOf(pdf);
    EXPECT_EQ(pageCountOf(pdf), static_cast<int>(pages.size()));
    ASSERT_GE(pages.size(), 2u);
    QStringList lines;
    for (const auto& page : pages) {
        ASSERT_FALSE(page.empty());
        EXPECT_NEAR(page.front().box.top(), pages[0].front().box.top(), 0.5);  // each sheet starts at the top
        for (const Word& word : page) {
            EXPECT_NEAR(word.box.left(), printable().left(), 0.5);
            EXPECT_LE(word.box.right(), printable().right() + 0.5);
            EXPECT_LE(word.box.bottom(), printable().bottom() + 0.5);
            lines << word.text;
        }
    }
    EXPECT_EQ(lines.mid(0, 12), expected);
    EXPECT_GT(lines.size(), 13);  // the wide line took more than one line
    EXPECT_EQ(lines.mid(12).join(QString()), wide);
}

// --- The preview against the real job printing to a PDF file. ---

// A word where it lies on the sheet: points from the paper's top-left, x at
// its left edge, y at its baseline (preview) or top (PDF).
struct PlacedWord {
    QString text;
    QPointF at;
};

std::vector<PlacedWord> previewWords(const PreviewPrintJob::Sheet& sheet, const QPrinter& printer) {
    const double toPoints = 72.0 / printer.resolution();
    const QPointF printable = printer.pageRect(QPrinter::Point).topLeft();
    std::vector<PlacedWord> words;
    for (const auto& piece : sheet) {
        const QFontMetricsF metrics(piece.font, &printer);
        static const QRegularExpression word(QStringLiteral("\\S+"));
        for (auto it = word.globalMatch(piece.text); it.hasNext();) {
            const auto m = it.next();
            const double x = piece.baseline.x() + metrics.horizontalAdvance(piece.text.left(m.capturedStart()));
            words.push_back({m.captured(), printable + QPointF(x, piece.baseline.y()) * toPoints});
        }
    }
    return words;
}

class PreviewAgainstPdfTest : public PrintPreviewTest {};

TEST_F(PreviewAgainstPdfTest, PreviewPagesEqualThePagesPrintedToPdf) {
    SKIP_WITHOUT_POPPLER();
    QtPrintJob& realJob = static_cast<QtPrintJob&>(platform.QtPlatform::printJob());
    QPrinter& printer = realJob.printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    struct Case {
        const char* name;
        QString family;
        int pixels;
        int lines;
        QString header;  // answered with JA when not empty
        int sheets;
    };
    const std::vector<Case> cases = {
        {"150 Zeilen", QStringLiteral("Courier New"), 13, 150, {}, 3},
        {"mit Kopfzeile", QStringLiteral("Courier New"), 13, 150, QStringLiteral("Kopf der Seite"), 3},
        {"63 Zeilen", QStringLiteral("Courier New"), 13, 63, {}, 2},
        {"leer", QStringLiteral("Courier New"), 13, 0, {}, 1},
        {"Arial 10", QStringLiteral("Arial"), 13, 70, {}, 2},
        {"hohe Schrift", QStringLiteral("Courier New"), 64, 40, QStringLiteral("Kopf"), 8},  // 4 pages of 2 sheets
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        memo().setFont(pixelFont(c.family, c.pixels, false));
        memo().setPlainText(numberedLines(c.lines));
        form().EdiKopfzeile->setText(c.header);
        const auto answerJa = [&] {
            if (!c.header.isEmpty()) answers.answerNext(Reply::Ja);
        };
        std::vector<PreviewPrintJob::Sheet> shown;
        answerJa();
        ASSERT_TRUE(openPreview([&](printing::PrintPreviewWindow& w) {
            for (int page = 0; page < w.pageCount(); ++page) {
                for (auto& sheet : w.sheetsOf(page)) shown.push_back(std::move(sheet));
            }
        }));

        const QString pdf = workingDir.filePath(QStringLiteral("%1.pdf").arg(QString::fromUtf8(c.name)));
        printer.setOutputFileName(pdf);
        platform.realPrintJob = true;
        platform.printSetupAnswers = {true};
        answerJa();
        printFromHeaderField();
        platform.realPrintJob = false;
        ASSERT_TRUE(platform.errorReports.isEmpty()) << platform.errorReports.join(QLatin1Char('\n')).toStdString();

        const Pages printed = wordsOf(pdf);
        ASSERT_EQ(printed.size(), static_cast<size_t>(c.sheets));
        ASSERT_EQ(shown.size(), printed.size());
        std::optional<double> baselineToTop;  // the same for every word of one font
        for (size_t sheet = 0; sheet < shown.size(); ++sheet) {
            SCOPED_TRACE(sheet);
            const std::vector<PlacedWord> words = previewWords(shown[sheet], printer);
            ASSERT_EQ(words.size(), printed[sheet].size());
            for (size_t i = 0; i < words.size(); ++i) {
                const Word& inPdf = printed[sheet][i];
                EXPECT_EQ(words[i].text, inPdf.text);
                EXPECT_NEAR(words[i].at.x(), inPdf.box.left(), 0.5) << inPdf.text.toStdString();
                if (!baselineToTop) baselineToTop = inPdf.box.top() - words[i].at.y();
                EXPECT_NEAR(inPdf.box.top() - words[i].at.y(), *baselineToTop, 0.5) << inPdf.text.toStdString();
            }
        }
    }
}

// --- The whole way: the print button, the real job on the system's default
// printer (a PDF queue whose output folder the environment names). ---

class PrintingEndToEnd : public MainWindowTest {};

TEST_F(PrintingEndToEnd, PrintButtonPrintsEveryPageAsItsOwnJob) {
    const QString outputDir = qEnvironmentVariable("KORVEX_PRINT_OUTPUT_DIR");
    if (outputDir.isEmpty()) GTEST_SKIP() << "KORVEX_PRINT_OUTPUT_DIR names no PDF printer's output folder";
    SKIP_WITHOUT_POPPLER();
    const auto pdfsNow = [&] { return QDir(outputDir).entryList({QStringLiteral("*.pdf")}, QDir::Files); };
    const QStringList before = pdfsNow();

    memo().setPlainText(numberedLines(100));
    form().EdiKopfzeile->setText(QStringLiteral("Kopf Korvex"));
    platform.realPrintJob = true;
    platform.printSetupAnswers = {true};
    answers.answerNext(Reply::Ja);
    form().SpButDruckenClick();
    ASSERT_TRUE(platform.errorReports.isEmpty()) << platform.errorReports.join(QLatin1Char('\n')).toStdString();

    QStringList printed;
    // Both files, each written to its end: the print system takes its time on a busy machine.
    const auto bothWhole = [&] {
        printed.clear();
        for (const QString& name : pdfsNow()) {
            if (!before.contains(name)) printed << QDir(outputDir).filePath(name);
        }
        return printed.size() == 2 && std::all_of(printed.begin(), printed.end(), [](const QString& pdf) {
                   return readFile(pdf).trimmed().endsWith("%%EOF");
               });
    };
    ASSERT_TRUE(waitUntil(bothWhole, 2 * kPatienceMs))
        << "the print system delivered " << printed.size() << " whole PDFs of 2 to " << outputDir.toStdString();

    QPrinter defaultPrinter(QPrinter::HighResolution);
    const double left = defaultPrinter.pageLayout().paintRect(QPageLayout::Point).left();
    QFont font10(QStringLiteral("Courier New"));
    font10.setPointSize(10);
    const double character = QFontMetricsF(font10, &defaultPrinter).horizontalAdvance(QLatin1Char('x')) * 72.0 /
                             defaultPrinter.resolution();
    // The queue may run the job through Ghostscript, which can lose the
    // characters' meaning; the layout of lines and words stays, so that is checked.
    std::vector<int> lineCounts;
    for (const QString& pdf : printed) {
        SCOPED_TRACE(pdf.toStdString());
        EXPECT_EQ(pageCountOf(pdf), 1);
        const Pages pages = wordsOf(pdf);
        ASSERT_EQ(pages.size(), 1u);
        std::map<int, std::vector<Word>> lines;  // by top edge in tenths of a point
        std::vector<Word> words = pages[0];
        std::stable_sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
            return a.box.top() + 0.5 < b.box.top() ||
                   (std::abs(a.box.top() - b.box.top()) <= 0.5 && a.box.left() < b.box.left());
        });
        int top = -1000;
        for (const Word& word : words) {
            if (std::abs(word.box.top() * 10 - top) > 5) top = qRound(word.box.top() * 10);
            lines[top].push_back(word);
        }
        ASSERT_GE(lines.size(), 3u) << "no text came through";
        lineCounts.push_back(static_cast<int>(lines.size()));
        const auto header = lines.begin();
        const auto footer = std::prev(lines.end());
        const auto firstText = std::next(header);
        // An empty line between header and text: about twice the step between text lines.
        const int step = std::next(firstText)->first - firstText->first;
        EXPECT_NEAR(firstText->first - header->first, 2 * step, 4);
        for (auto line = firstText; line != footer; ++line) {
            EXPECT_NEAR(line->second.front().box.left(), left + 12 * character, 1.0);
        }
        EXPECT_NEAR(footer->second.front().box.left(), left + 48 * character, 1.0);
        EXPECT_EQ(footer->second.size(), 3u);                         // "- n -"
        if (header->second.front().text == QStringLiteral("Kopf")) {  // the text came through as it was
            EXPECT_NEAR(header->second.front().box.left(), left + 12 * character, 1.0);
            EXPECT_EQ(footer->second[1].text, QString::number(lines.size() == 63 ? 1 : 2));
        }
    }
    std::sort(lineCounts.begin(), lineCounts.end());
    // Header, text lines and footer: 61 lines of text on the first page, the other 39 on the second.
    EXPECT_EQ(lineCounts, (std::vector<int>{41, 63}));
}

}  // namespace
}  // namespace korvex::testing
