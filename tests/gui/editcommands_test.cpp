// The one-step commands around the text window: clipboard buttons, date,
// font, window colour, TOP and SelectAll, with their effects on the saved
// flag, the clipboard and the focus.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/uKorvex21.h"
#include "display/screencolours.h"
#include "document/headerfield.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class EditCommandsTest : public MainWindowTest {
protected:
    // The text window holding text, with [from, to) selected and the file counted as saved.
    void prepare(std::string_view text, int from, int to) {
        memo().loadBytes(text);
        QTextCursor cursor = memo().textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        memo().setTextCursor(cursor);
        form().markSaved();
        form().focusTextWindow();
        QApplication::processEvents();
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    static void setClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
    static QWidget* focused() { return QApplication::focusWidget(); }
};

TEST_F(EditCommandsTest, CutWithoutSelectionChangesNothing) {
    prepare("Hallo Welt", 3, 3);
    setClipboard(QStringLiteral("vorher"));
    click(form().ButX);
    EXPECT_EQ(clipboard(), "vorher");
    EXPECT_EQ(memo().text(), "Hallo Welt");
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(focused(), form().ButX);
}

TEST_F(EditCommandsTest, CutMovesTheSelectionToTheClipboard) {
    prepare("Hallo\r\nWelt", 3, 8);
    click(form().ButX);
    EXPECT_EQ(clipboard(), "lo\nWe");
    EXPECT_EQ(memo().text(), "Hallt");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, CopyKeepsTextAndSavedFlag) {
    prepare("Hallo Welt", 6, 10);
    click(form().ButC);
    EXPECT_EQ(clipboard(), "Welt");
    EXPECT_EQ(memo().text(), "Hallo Welt");
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, PasteReplacesTheSelectionAndClearsSavedFlagEvenWhenEmpty) {
    prepare("Hallo Welt", 6, 10);
    setClipboard(QStringLiteral("neue\nZeile"));
    click(form().ButE);
    EXPECT_EQ(memo().text(), "Hallo neue\r\nZeile");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, PasteWithoutClipboardTextKeepsTheSelection) {
    prepare("Hallo Welt", 6, 10);
    QGuiApplication::clipboard()->clear();
    click(form().ButE);
    EXPECT_EQ(memo().text(), "Hallo Welt");
    EXPECT_EQ(memo().selectedBytes(), "Welt");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, DateButtonReplacesTheSelectionAndLeavesTheDateOnTheClipboard) {
    prepare("Stand: heute.", 7, 12);
    click(form().ButDatum);
    EXPECT_EQ(memo().text(), "Stand: 07.12.2026.");
    EXPECT_EQ(clipboard(), "07.12.2026");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, ClickInDateFieldRefreshesTheDateAndKeepsFocusThere) {
    EXPECT_EQ(form().EdiDatum->text(), "07.12.2026");
    platform.today = QStringLiteral("24.12.2026");
    click(form().EdiDatum);
    EXPECT_EQ(form().EdiDatum->text(), "24.12.2026");
    EXPECT_EQ(focused(), form().EdiDatum);
}

TEST_F(EditCommandsTest, ChosenFontAndColourGoToTextWindowAndHeaderField) {
    QFont chosen(QStringLiteral("Arial"));
    chosen.setPointSize(14);
    chosen.setItalic(true);
    platform.fontAnswers.push_back(FontChoice{chosen, QColor(200, 0, 0)});
    click(form().ButX);  // the focus elsewhere first
    QTest::mouseClick(form().SpButFonts, Qt::LeftButton);
    QApplication::processEvents();

    ASSERT_TRUE(platform.lastFontPreset.has_value());
    EXPECT_EQ(platform.lastFontPreset->font.family(), "Courier New");
    EXPECT_EQ(platform.lastFontPreset->colour, toQColor(colours::WindowText));
    const Colour red = Colour::fromRgb(200, 0, 0);
    EXPECT_EQ(memo().font().family(), "Arial");
    EXPECT_TRUE(memo().font().italic());
    EXPECT_EQ(memo().colours().text, red);
    EXPECT_EQ(form().EdiKopfzeile->font().family(), "Arial");
    EXPECT_EQ(form().EdiKopfzeile->colours().text, red);
    EXPECT_EQ(memo().colours().background, colours::MoneyGreen);
    EXPECT_EQ(focused(), &memo());

    // Cancelled from the menu: nothing changes, the focus still goes to the text window.
    click(form().ButX);
    form().Schrift->trigger();
    QApplication::processEvents();
    EXPECT_EQ(memo().font().family(), "Arial");
    EXPECT_EQ(memo().colours().text, red);
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, PickedColourBecomesWindowColourOfTextWindowAndHeaderField) {
    form().ColorBox1->setFocus();
    QTest::keyClick(form().ColorBox1, Qt::Key_Down);
    QApplication::processEvents();
    const Colour picked = form().ColorBox1->selectedColour();
    ASSERT_NE(picked, colours::MoneyGreen);
    EXPECT_EQ(memo().colours().background, picked);
    EXPECT_EQ(form().windowColour(), picked);
    EXPECT_EQ(form().EdiKopfzeile->colours().background, picked);
    EXPECT_EQ(memo().colours().text, colours::WindowText);
    EXPECT_EQ(focused(), &memo());
}

TEST_F(EditCommandsTest, TopTogglesStayingOnTopAndKeepsCaretSelectionAndScrolling) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "Zeile " + std::to_string(i) + "\r\n";
    prepare(text, 900, 920);
    memo().verticalScrollBar()->setValue(memo().verticalScrollBar()->maximum() / 2);
    const int scrolled = memo().verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    click(form().PanTop);
    EXPECT_FALSE(form().PanTop->isRaised());
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(memo().textCursor().anchor(), 900);
    EXPECT_EQ(memo().textCursor().position(), 920);
    EXPECT_EQ(memo().verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(form().focusWidget(), &memo());

    click(form().PanTop);
    EXPECT_TRUE(form().PanTop->isRaised());
    EXPECT_FALSE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(memo().textCursor().anchor(), 900);
    EXPECT_EQ(memo().textCursor().position(), 920);
    EXPECT_EQ(memo().verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(form().focusWidget(), &memo());
    EXPECT_TRUE(form().isSaved());
}

// "TOP" is an image button outside the Tab order: without a mouse it was out of reach.
TEST_F(EditCommandsTest, RegressionTopWasOutOfReachOfTheKeyboard) {
    prepare("Text", 2, 2);
    QTest::keyClick(&form(), Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([this] { return form().Datei1->isVisible(); })) << "Alt+D opened no menu";
    QTest::keyClick(form().Datei1, Qt::Key_V);
    EXPECT_TRUE(waitUntil([this] { return !form().PanTop->isRaised(); })) << "Alt+D, V did not press TOP";
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().Vordergrund1->isChecked());
    EXPECT_EQ(form().focusWidget(), &memo());

    click(form().PanTop);  // the mouse and the menu show the same state
    EXPECT_FALSE(form().Vordergrund1->isChecked());
}

TEST_F(EditCommandsTest, SelectAllSelectsTheWholeTextAndLeavesTheFocus) {
    prepare("Hallo\r\nWelt", 2, 2);
    click(form().ButC);
    form().EdiKopfzeile->setFocus();
    QApplication::processEvents();
    form().SelectAll1->trigger();
    QApplication::processEvents();
    EXPECT_EQ(memo().selectedBytes(), "Hallo\r\nWelt");
    EXPECT_EQ(focused(), form().EdiKopfzeile);
    EXPECT_TRUE(form().isSaved());
}

}  // namespace
}  // namespace korvex::testing
