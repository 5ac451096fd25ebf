// The text window: display lines as shown, the line list's rules, caret
// line and column, status labels and the saved flag.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <functional>
#include <utility>
#include <vector>

#include "app/uKorvex21.h"
#include "base/kxerror.h"
#include "document/headerfield.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class TextWindowTest : public MainWindowTest {
protected:
    // Characters per display line of the built-in font at the current width.
    int charactersPerLine() {
        const QFontMetrics metrics(memo().font());
        const int usable = memo().viewport()->width() - 2 * static_cast<int>(memo().document()->documentMargin());
        return usable / metrics.horizontalAdvance(QLatin1Char('x'));
    }
    std::string words(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "wort" + std::to_string(i % 10) + " ";
        return text;
    }
    void setCaret(int position) {
        QTextCursor cursor = memo().textCursor();
        cursor.setPosition(position);
        memo().setTextCursor(cursor);
    }
};

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* /*target*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(TextWindowTest, EmptyTextHasNoLinesButCaretOnLineOneColumnOne) {
    EXPECT_EQ(memo().count(), 0);
    EXPECT_EQ(form().CZeile(), "1");
    EXPECT_EQ(form().CSpalte(), "1");
    EXPECT_TRUE(memo().isDocumentEmpty());
    memo().loadBytes("\r\n\r\n");
    EXPECT_TRUE(memo().isDocumentEmpty());
    EXPECT_EQ(memo().count(), 2);
    memo().loadBytes("\r\n \r\n");
    EXPECT_FALSE(memo().isDocumentEmpty());
    // A text whose first piece holds only line breaks is no empty text while the rest comes in
    // (the recovery copy of an unsaved one was skipped as if it were).
    memo().loadBytes(std::string(300'000, '\n') + "x");
    ASSERT_TRUE(memo().isLoading());
    EXPECT_FALSE(memo().isDocumentEmpty());
}

TEST_F(TextWindowTest, WrappedHardLineCountsAsSeveralDisplayLines) {
    const int perLine = charactersPerLine();
    ASSERT_GT(perLine, 20);
    // Words of six characters: enough for a little over two display lines.
    const std::string line = words(perLine * 2 / 6 + 3);
    memo().loadBytes(line);
    ASSERT_EQ(memo().count(), 3);
    EXPECT_EQ(memo().get(0) + memo().get(1) + memo().get(2), line);
    EXPECT_EQ(memo().text(), line);  // wrap points are never part of the text
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "3");

    // The caret on the second display line: line 2, column from that line's start.
    const int secondLineStart = static_cast<int>(memo().get(0).size());
    setCaret(secondLineStart + 4);
    EXPECT_EQ(form().CZeile(), "2");
    EXPECT_EQ(form().CSpalte(), "5");
}

TEST_F(TextWindowTest, CountFollowsWidthAndFont) {
    const std::string line = words(40);
    memo().loadBytes(line);
    const int wide = memo().count();
    form().resize(form().width() / 2, form().height());
    QApplication::processEvents();
    EXPECT_GT(memo().count(), wide);
    form().resize(form().width() * 2, form().height());
    QApplication::processEvents();
    EXPECT_EQ(memo().count(), wide);
    QFont bigger = memo().font();
    bigger.setPixelSize(26);
    memo().setFont(bigger);
    EXPECT_GT(memo().count(), wide);
}

// Qt's own layout of every block, summed; an empty last line is left out as count() does.
int qtDisplayLines(TextWindow& memo) {
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(memo.document()->documentLayout());
    int lines = 0;
    for (QTextBlock b = memo.document()->firstBlock(); b.isValid(); b = b.next()) {
        layout->ensureBlockLayout(b);
        lines += b.layout()->lineCount();
    }
    return memo.document()->lastBlock().length() == 1 ? lines - 1 : lines;
}

// The count kept up to date piece by piece against a layout of everything:
// keys that make and join lines, a paste of about a megabyte and its undo,
// a narrower window and another font.
TEST_F(TextWindowTest, CountEqualsQtLayoutThroughEditsPasteWidthAndFont) {
    memo().loadBytes(words(60) + "\r\nkurz\r\n" + words(30) +
                     "\r\n\tTab und Stra\xDF"
                     "e\r\n");
    QString big;
    for (int line = 0; big.size() < (1 << 20); ++line) {
        big += QString::fromStdString(words(line % 37));
        if (line % 5 == 0) big += QStringView(u"\t\u00E4\u00DF-x!1.5");
        big += QLatin1Char('\n');
    }
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"break inside a wrapped line",
         [&] {
             setCaret(40);
             QTest::keyClick(&memo(), Qt::Key_Return);
         }},
        {"break taken back", [&] { QTest::keyClick(&memo(), Qt::Key_Backspace); }},
        {"lines joined at the end of a line",
         [&] {
             setCaret(memo().document()->findBlockByNumber(1).position() - 1);
             QTest::keyClick(&memo(), Qt::Key_Delete);
         }},
        {"a megabyte pasted",
         [&] {
             QMimeData pasted;
             pasted.setText(big);
             memo().insertFromMimeData(&pasted);
         }},
        {"paste undone", [&] { QTest::keyClick(&memo(), Qt::Key_Z, Qt::ControlModifier); }},
        {"pasted again", [&] { QTest::keyClick(&memo(), Qt::Key_Y, Qt::ControlModifier); }},
        {"narrower",
         [&] {
             form().resize(form().width() * 2 / 3, form().height());
             QApplication::processEvents();
         }},
        {"other font",
         [&] {
             QFont font(QStringLiteral("Arial"));
             font.setPixelSize(15);
             memo().setFont(font);
         }},
    };
    for (const auto& [what, step] : steps) {
        step();
        ASSERT_EQ(memo().count(), qtDisplayLines(memo())) << what;
    }
    EXPECT_GT(memo().count(), 10000);
}

// The one-pass reading that printing uses, against get() line by line, for
// the fixed-pitch font the wrap model follows and a proportional one.
TEST_F(TextWindowTest, ForEachGivesEveryLineAsGetDoes) {
    const std::string longWord(300, 'x');
    const std::string longLine(5000, 'y');  // get() cuts at 4096
    memo().loadBytes(words(70) + "\r\n\r\n" + longWord + " end\r\n\tTab\xAD" + "Trenn\xA0" + "fest " + words(20) +
                     "\r\n" + longLine + "\r\nStra\xDF" + "e 1.5 -x /y \x85 \x96 z\r\n");
    QFont proportional(QStringLiteral("Arial"));
    proportional.setPixelSize(15);
    for (const QFont& font : {memo().font(), proportional}) {
        memo().setFont(font);
        std::vector<std::string> visited;
        memo().forEach([&visited](std::string_view line) { visited.emplace_back(line); });
        ASSERT_EQ(visited.size(), static_cast<size_t>(memo().count())) << font.family().toStdString();
        for (int i = 0; i < memo().count(); ++i) {
            ASSERT_EQ(visited[static_cast<size_t>(i)], memo().get(i)) << font.family().toStdString() << ", line " << i;
        }
    }
}

TEST_F(TextWindowTest, GetGivesEmptyBeyondTheEnd) {
    memo().loadBytes("a\r\nb");
    EXPECT_EQ(memo().get(1), "b");
    EXPECT_EQ(memo().get(5), "");
    EXPECT_EQ(memo().get(-1), "");
}

TEST_F(TextWindowTest, InsertAddDeleteFollowTheLineListRules) {
    memo().insert(0, "erste");  // an empty text has its empty line 0
    EXPECT_EQ(memo().text(), "erste\r\n");
    memo().add("zweite");  // ends with a break: appended with a break behind
    EXPECT_EQ(memo().text(), "erste\r\nzweite\r\n");
    memo().loadBytes("a\r\nb");
    memo().add("c");  // no final break: a break goes in front
    EXPECT_EQ(memo().text(), "a\r\nb\r\nc");
    memo().insert(1, "x");
    EXPECT_EQ(memo().text(), "a\r\nx\r\nb\r\nc");
    memo().remove(1);
    EXPECT_EQ(memo().text(), "a\r\nb\r\nc");
    memo().remove(2);  // the last line: the break in front of it stays
    EXPECT_EQ(memo().text(), "a\r\nb\r\n");
    memo().remove(1);  // followed by the empty last line: up to its start
    EXPECT_EQ(memo().text(), "a\r\n");
    memo().insert(7, "nie");  // beyond the end: nothing
    EXPECT_EQ(memo().text(), "a\r\n");
    memo().clear();
    EXPECT_EQ(memo().text(), "");
}

TEST_F(TextWindowTest, DeleteOfAWrappedDisplayLineKeepsTheRestOfTheHardLine) {
    const int perLine = charactersPerLine();
    const std::string line = words(perLine * 2 / 6 + 3);
    memo().loadBytes(line + "\r\nzwei");
    const std::string first = memo().get(0);
    memo().remove(0);
    EXPECT_EQ(memo().text(), line.substr(first.size()) + "\r\nzwei");
}

TEST_F(TextWindowTest, LoadTurnsLoneBreaksIntoCrLfAndStopsAtNul) {
    memo().loadBytes(std::string("a\rb\nc\r\nd\0hidden", 15));
    EXPECT_EQ(memo().text(), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(memo().count(), 4);
}

// A big text shows its first screen at once and comes in between events;
// its text and count are whole once it is in, program edits keep the saved
// flag, and a key meanwhile first brings the rest in, then takes effect.
TEST_F(TextWindowTest, BigTextLoadsInPiecesAndAKeyWaitsForTheRest) {
    ASSERT_GT(charactersPerLine(), 48);
    std::string text;
    std::string mixedBreaks;  // the same lines ending in CR LF, LF and CR by turns
    for (int i = 0; i < 60'000; ++i) {
        text += words(8) + "\r\n";  // 48 characters: one display line each
        mixedBreaks += words(8) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    }
    // The caret does not blink meanwhile: on a busy machine its blinking would repaint the window.
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    const auto blinkAgain = qScopeGuard([flashTime] { QApplication::setCursorFlashTime(flashTime); });
    for (const std::string& file : {mixedBreaks, text}) {
        memo().clear();
        memo().loadFileBytes(QByteArray::fromStdString(file));
        ASSERT_TRUE(memo().isLoading());
        EXPECT_LT(memo().count(), 60'000);
        EXPECT_EQ(memo().get(0), words(8));
        EXPECT_EQ(memo().characterCount(), 60'000 * 48);  // what is still to come counts
        EXPECT_EQ(memo().text(), text);
        const PaintCounter painted(*memo().viewport());
        ASSERT_TRUE(waitUntil([&] { return !memo().isLoading(); })) << memo().count() << " lines in so far";
        EXPECT_LE(painted.paints, 1);  // the first screen; pieces below it repaint nothing
        EXPECT_EQ(memo().count(), 60'000);
        EXPECT_EQ(memo().text(), text);
        EXPECT_TRUE(form().isSaved());
    }

    // A first line of 43 characters puts a CR LF across the end of the first piece (256 KiB).
    const std::string first = "anders" + std::string(37, 'n');
    memo().loadBytes(first + "\r\n" + text);
    ASSERT_TRUE(memo().isLoading());
    memo().setFocus();
    setCaret(0);
    QTest::keyClick(&memo(), Qt::Key_X);
    EXPECT_FALSE(memo().isLoading());
    EXPECT_EQ(memo().text(), "x" + first + "\r\n" + text);
    EXPECT_EQ(memo().count(), 60'001);
    EXPECT_FALSE(form().isSaved());

    // Narrowed so that each line takes two, step by step as a drag would:
    // the count follows between events, counted on other threads.
    while (charactersPerLine() > 36) {
        form().resize(form().width() - 20, form().height());
        QApplication::processEvents();
    }
    ASSERT_GE(charactersPerLine(), 23);
    // The status follows without a key.
    EXPECT_TRUE(becomes([&] { return form().LabShowZeilenAnz->text(); }, QStringLiteral("120002")));
    EXPECT_EQ(memo().count(), 120'002);
}

// Qt lays out every hard line anew for each new width: over a text of many
// lines each step of a drag of the window's edge waited for that. Now only
// the lines shown follow the edge at each step, laid out as Qt lays them out
// at the new width; every line is laid out once the edge has stayed, or at
// once for a question about the lines. The count that follows copies the
// text in pieces between events: lines just as long as a display line
// holds, then lines one longer, make a character copied twice or lost at a
// piece's end show (a lost line break shows anyway).
TEST_F(TextWindowTest, RegressionDragOverManyLinesLaidOutEveryLineAtEachStep) {
    int fits = charactersPerLine();  // the most characters one display line holds
    for (memo().loadBytes(std::string(fits + 1, 'x')); memo().count() == 1;
         memo().loadBytes(std::string(fits + 1, 'x')))
        ++fits;
    std::string text = words(40) + "\r\n";  // wraps at every width here
    for (int i = 0; i < 14'000; ++i) text += std::string(fits + i / 7'000, 'x') + "\r\n";
    for (int i = 0; i < 100'000; ++i) text += "kurz\r\n";
    memo().loadBytes(text);
    memo().finishLoading();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(memo().document()->documentLayout());
    // The width of a line Qt lays out at the end, off screen: what it lays every line out at.
    const auto qtWidth = [&] {
        const QTextBlock last = memo().document()->lastBlock();
        layout->ensureBlockLayout(last);
        return last.layout()->lineAt(0).width();
    };
    // The first block, shown at the top: its lines' starts and width.
    const auto shownLines = [&] {
        const QTextBlock first = memo().document()->firstBlock();
        layout->ensureBlockLayout(first);
        std::vector<int> starts;
        for (int k = 0; k < first.layout()->lineCount(); ++k) starts.push_back(first.layout()->lineAt(k).textStart());
        return std::pair(starts, first.layout()->lineAt(0).width());
    };
    const qreal wide = qtWidth();
    const auto wideLines = shownLines();
    const int wideCount = memo().count();

    // A step of the drag, looked at before the events that follow it: on a
    // busy machine they may take longer than the edge takes to count as resting.
    form().resize(form().width() - 200, form().height());
    EXPECT_EQ(qtWidth(), wide);  // still dragged
    const auto narrowLines = shownLines();
    EXPECT_LT(narrowLines.second, wideLines.second);  // what is shown follows at once
    EXPECT_GT(narrowLines.first.size(), wideLines.first.size());
    EXPECT_GT(memo().count(), wideCount);
    EXPECT_LT(qtWidth(), wide);            // the question waited for the new width
    EXPECT_EQ(shownLines(), narrowLines);  // Qt lays the lines shown out as they were
    EXPECT_EQ(memo().count(), qtDisplayLines(memo()));

    form().resize(form().width() + 200, form().height());
    EXPECT_LT(qtWidth(), wide);
    EXPECT_EQ(shownLines(), wideLines);
    EXPECT_TRUE(becomes(qtWidth, wide));  // the edge stayed
    EXPECT_TRUE(becomes([&] { return form().LabShowZeilenAnz->text(); }, QString::number(wideCount)));
    EXPECT_EQ(memo().count(), qtDisplayLines(memo()));

    // A key right after a step: the status it brings asks for the lines while Qt handles the key.
    form().resize(form().width() - 200, form().height());
    QApplication::processEvents();
    memo().setFocus();
    setCaret(0);
    QTest::keyClick(&memo(), Qt::Key_Y);
    EXPECT_LT(qtWidth(), wide);
    EXPECT_EQ(form().LabShowZeilenAnz->text(), QString::number(qtDisplayLines(memo())));
    EXPECT_EQ(memo().get(0).substr(0, 5), "ywort");
}

// The lines shown are laid out at each step of a drag of the window's edge:
// the text an input method is still composing in one of them stays, and
// takes its place in the new lines.
TEST_F(TextWindowTest, RegressionLayingOutTheShownLinesAheadLostTheComposedText) {
    std::string text;
    for (int i = 0; i < 100'000; ++i) text += words(3) + "\r\n";
    memo().loadBytes(text);
    memo().finishLoading();
    memo().setFocus();
    setCaret(0);
    QInputMethodEvent composing(QString::fromStdString(words(30)), {});
    QApplication::sendEvent(&memo(), &composing);
    const QTextLayout& first = *memo().document()->firstBlock().layout();
    ASSERT_GT(first.lineCount(), 1);  // laid out with the composed text, which wraps
    const int wideLines = first.lineCount();

    form().resize(form().width() - 200, form().height());
    EXPECT_GT(first.lineCount(), wideLines);
    EXPECT_EQ(first.preeditAreaText(), QString::fromStdString(words(30)));
}

// A while after a load or a width change the blocks off screen give their
// layout objects back (a few hundred bytes each); the block with the caret
// keeps its own, which holds the text an input method is still composing.
TEST_F(TextWindowTest, RegressionGivingLayoutsBackLostTheComposedText) {
    std::string text;
    for (int i = 0; i < 3'000; ++i) text += words(3) + "\r\n";
    memo().loadBytes(text);
    memo().finishLoading();
    QApplication::processEvents();
    const QTextBlock first = memo().document()->firstBlock();
    ASSERT_GT(first.layout()->lineCount(), 0);  // laid out when it was shown
    memo().verticalScrollBar()->setValue(memo().verticalScrollBar()->maximum() / 2);
    QApplication::processEvents();
    memo().setFocus();
    setCaret(memo().cursorForPosition(QPoint(0, 0)).block().position());
    QInputMethodEvent composing(QStringLiteral("kom"), {});
    QApplication::sendEvent(&memo(), &composing);

    ASSERT_TRUE(waitUntil([&] { return first.layout()->lineCount() == 0; }));  // given back
    EXPECT_EQ(memo().textCursor().block().layout()->preeditAreaText(), QStringLiteral("kom"));
    EXPECT_EQ(memo().count(), qtDisplayLines(memo()));
}

// A finished load left its gate filtering every event of the program until
// the event loop deleted it; a window destroyed before then made the next key
// anywhere run the gate on a window that was gone.
TEST_F(TextWindowTest, RegressionLoadGateOutlivedItsWindow) {
    std::string text;
    for (int i = 0; i < 60'000; ++i) text += words(8) + "\r\n";
    {
        TextWindow window;
        window.loadBytes(text);
        ASSERT_TRUE(window.isLoading());
        window.finishLoading();
    }
    QTest::keyClick(form().EdiKopfzeile, Qt::Key_A);
    EXPECT_EQ(form().EdiKopfzeile->text(), "a");
}

// Qt gives up laying out a hard line of tens of millions of characters (the
// window stayed empty) and takes long on every key in a long one: a text
// with a hard line over the limit is refused, and the window keeps its text.
TEST_F(TextWindowTest, OverlongHardLineIsRefusedWithTheCapacityMessage) {
    memo().loadBytes("alt\r\n");
    const std::string longest(static_cast<size_t>(TextWindow::kMaxLineLength), 'a');
    std::string manyLines;  // more than the first piece before the long line
    for (int i = 0; i < 80'000; ++i) manyLines += "ab\r\n";
    for (const std::string& text :
         {"x\r\n" + longest + "a", longest + "a\r\ny", longest + " a\r\n", manyLines + longest + "a"}) {
        try {
            memo().loadBytes(text);
            ADD_FAILURE() << "loaded a line of " << text.size() << " characters";
        } catch (const KxError& error) {
            EXPECT_STREQ(error.what(), "Text überschreitet Memo-Kapazität");
        }
        memo().finishLoading();
        EXPECT_EQ(memo().text(), "alt\r\n");
    }
    memo().loadBytes("x\r\n" + longest);
    memo().finishLoading();
    EXPECT_EQ(memo().text(), "x\r\n" + longest);
    const QTextBlock last = memo().document()->lastBlock();
    memo().document()->documentLayout()->blockBoundingRect(last);  // Qt lays it out
    EXPECT_EQ(memo().count(), 1 + last.layout()->lineCount());
}

TEST_F(TextWindowTest, LoadingTheSameTextChangesNothing) {
    memo().loadBytes("gleich\r\n");
    setCaret(3);
    memo().loadBytes("gleich\r\n");
    EXPECT_EQ(memo().textCursor().position(), 3);
}

TEST_F(TextWindowTest, EveryWindows1252ByteButBreaksAndNulRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    }
    memo().loadBytes(all);
    EXPECT_EQ(memo().text(), all);
}

TEST_F(TextWindowTest, CharactersTheCodePageCannotHoldBecomeQuestionMarks) {
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("a"));
    QKeyEvent foreign(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u4E2D"));
    QApplication::sendEvent(&memo(), &foreign);
    QTest::keyClicks(&memo(), QStringLiteral("b"));
    QMimeData pasted;
    pasted.setText(QStringLiteral("\u0394x"));
    memo().insertFromMimeData(&pasted);
    EXPECT_EQ(memo().text(), "a?b?x");
}

TEST_F(TextWindowTest, StatusLabelsStayEmptyUntilTheFirstChangeOrKey) {
    // Not even once a new width has settled and the lines are counted for it
    // (they showed "0", "1", "1" then).
    const QSignalSpy recounted(&memo(), &TextWindow::shownLinesRecounted);
    form().resize(form().width() - 100, form().height());
    ASSERT_TRUE(waitUntil([&] { return !recounted.isEmpty(); }));
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "");
    EXPECT_EQ(form().LabShowCZeile->text(), "");
    EXPECT_EQ(form().LabShowCSpalte->text(), "");
    EXPECT_EQ(form().LabShowDatName->text(), "");
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("ab"));
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "1");
    EXPECT_EQ(form().LabShowCSpalte->text(), "3");
    QTest::keyClick(&memo(), Qt::Key_Return);
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "1");  // the empty line after the break does not count
    EXPECT_EQ(form().LabShowCZeile->text(), "2");
}

TEST_F(TextWindowTest, ArrowKeysDoNotUpdateTheLabels) {
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("abc"));
    QTest::keyClick(&memo(), Qt::Key_Left);
    EXPECT_EQ(form().LabShowCSpalte->text(), "4");
}

TEST_F(TextWindowTest, ValueLabelsGrowWithTheirNumber) {
    const int empty = form().LabShowZeilenAnz->width();
    form().LabShowZeilenAnz->setValue(QStringLiteral("123456"));
    EXPECT_GT(form().LabShowZeilenAnz->width(), empty);
    EXPECT_EQ(form().LabShowZeilenAnz->x(), 53);
}

TEST_F(TextWindowTest, TabMovesTheFocusAndInsertsNothing) {
    memo().loadBytes("text");
    memo().setFocus();
    QTest::keyClick(&memo(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form().ColorBox1);
    EXPECT_EQ(memo().text(), "text");
}

TEST_F(TextWindowTest, ShiftEnterMakesAnOrdinaryLineBreak) {
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("a"));
    QTest::keyClick(&memo(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&memo(), QStringLiteral("b"));
    EXPECT_EQ(memo().text(), "a\r\nb");
}

TEST_F(TextWindowTest, FileNameLabelShowsTheLast91Characters) {
    const QString ninety(90, QLatin1Char('n'));
    form().documentRead(ninety, {});
    EXPECT_EQ(form().LabShowDatName->text(), ninety);
    QString long120;
    for (int i = 1; i <= 120; ++i) long120 += QChar(u'A' + i % 26);
    form().documentRead(long120, {});
    EXPECT_EQ(form().LabShowDatName->text(), long120.mid(29));
}

// The saved flag: cleared by character keys and by every change the user makes.
class SavedFlagTest : public TextWindowTest {
protected:
    void SetUp() override {
        TextWindowTest::SetUp();
        memo().loadBytes("Hallo Welt");
        form().markSaved();
        memo().setFocus();
    }
};

TEST_F(SavedFlagTest, StartsTrue) {
    startProgram();
    EXPECT_TRUE(form().isSaved());
}

TEST_F(SavedFlagTest, CharacterKeysClearIt) {
    QTest::keyClick(&memo(), Qt::Key_A);
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, CtrlCInTheTextWindowClearsIt) {
    QTest::keyClick(&memo(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, ArrowKeysLeaveIt) {
    QTest::keyClick(&memo(), Qt::Key_Left);
    QTest::keyClick(&memo(), Qt::Key_End);
    EXPECT_TRUE(form().isSaved());
}

TEST_F(SavedFlagTest, DeleteKeyClearsIt) {
    setCaret(0);
    QTest::keyClick(&memo(), Qt::Key_Delete);
    EXPECT_EQ(memo().text(), "allo Welt");
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, ShiftInsertPasteClearsIt) {
    QApplication::clipboard()->setText(QStringLiteral("xy"));
    QTest::keyClick(&memo(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_NE(memo().text().find("xy"), std::string::npos);
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, ShiftDeleteCutClearsIt) {
    memo().selectAll();
    QTest::keyClick(&memo(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(memo().text(), "");
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, DropAndContextMenuPasteClearIt) {
    QMimeData dropped;
    dropped.setText(QStringLiteral("gezogen"));
    memo().insertFromMimeData(&dropped);  // what a drop and the context menu's paste do
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, UndoAndRedoClearIt) {
    QTest::keyClick(&memo(), Qt::Key_B);
    form().markSaved();
    memo().undo();
    EXPECT_FALSE(form().isSaved());
    form().markSaved();
    memo().redo();
    EXPECT_FALSE(form().isSaved());
}

TEST_F(SavedFlagTest, ProgramChangesKeepIt) {
    memo().loadBytes("anderer Text");
    memo().clear();
    EXPECT_TRUE(form().isSaved());
}

}  // namespace
}  // namespace korvex::testing
