// "Repl" and "RAll" on the main window: the whole text converted in place,
// the flag, the status labels and the focus afterwards.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <random>

#include "app/uKorvex21.h"
#include "display/textwindow.h"
#include "editing/htmlconvert.h"
#include "oracles/htmlreference.h"
#include "support/mainwindowfixture.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class HtmlConvertGuiTest : public MainWindowTest {};

TEST_F(HtmlConvertGuiTest, ReplKeepsTagsAndRAllTurnsThemIntoEntities) {
    memo().loadBytes(
        "Gr\xF6\xDF"
        "e & Ma\xDF <b>\xC4</b>");
    form().markSaved();
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "Gr&ouml;&szlig;e &amp; Ma&szlig; <b>&Auml;</b>");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(QApplication::focusWidget(), &memo());

    memo().loadBytes("<b>\xC4</b>");
    form().markSaved();
    click(form().ButReplaceAll);
    EXPECT_EQ(memo().text(), "&lt;b&gt;&Auml;&lt;/b&gt;");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

TEST_F(HtmlConvertGuiTest, LineBreaksGetBrAndTheLineCountFollows) {
    memo().loadBytes("eins\r\nzwei\r\n\r\ndrei");
    QTextCursor cursor = memo().textCursor();
    cursor.setPosition(2);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    memo().setTextCursor(cursor);
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "eins<BR>\r\nzwei<BR>\r\n<BR>\r\ndrei");
    EXPECT_EQ(memo().count(), 4);
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "4");
    // The text is new as a whole: nothing of the old selection is left.
    EXPECT_TRUE(memo().selectedBytes().empty());
}

// The converted text is checked against the window's capacity as any text
// it takes: a line that the entities make too long refuses the conversion,
// one that still fits is taken, and the window keeps its text either way.
TEST_F(HtmlConvertGuiTest, ALineTheEntitiesMakeTooLongRefusesTheConversion) {
    const auto longest = static_cast<size_t>(TextWindow::kMaxLineLength);
    // "&auml;<BR>" makes a line ten characters longer than its letters.
    const std::string fits = std::string(longest - 10, 'a');
    memo().loadBytes("kurz\r\n" + fits + "\xE4\r\nkurz");
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "kurz<BR>\r\n" + fits + "&auml;<BR>\r\nkurz");
    EXPECT_TRUE(platform.errorReports.isEmpty());

    // One letter more, or the last line (no "<BR>") five more.
    for (const std::string& tooLong :
         {"kurz\r\n" + fits + "a\xE4\r\nkurz", "kurz\r\n" + fits + std::string(5, 'a') + "\xE4"}) {
        platform.errorReports.clear();
        memo().loadBytes(tooLong);
        click(form().ButReplace);
        EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")});
        EXPECT_EQ(memo().text(), tooLong);
        // The focus left on the button, the next key would press it again.
        EXPECT_EQ(QApplication::focusWidget(), &memo());
    }
}

TEST_F(HtmlConvertGuiTest, NothingToConvertStillCountsAsAChange) {
    form().markSaved();
    click(form().ButReplaceAll);
    EXPECT_EQ(memo().text(), "");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(QApplication::focusWidget(), &memo());

    memo().loadBytes("schlicht");
    QTextCursor caret = memo().textCursor();
    caret.setPosition(3);
    memo().setTextCursor(caret);
    form().markSaved();
    form().ButStart->setFocus();
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "schlicht");
    EXPECT_EQ(memo().textCursor().position(), 3);  // the text is not replaced by the same
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

// The command works on the window's UTF-16 text; it must leave exactly what
// converting the saved bytes and loading them again leaves.
TEST_F(HtmlConvertGuiTest, ConvertsAsTheWayThroughBytesDoes) {
    const std::u16string alphabet =
        u"a <>&\"\r\n\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF\u00B0\u00A7\u00A0"
        u"\u0080\u0081\u0085\u009F\u20AC\u2028\u2029\u4E00";
    std::mt19937 random(7);
    TextWindow reference;
    // Short texts, then big ones, converted piece by piece as they go in: one of
    // several pieces, one whose NUL ends it in its second piece, one ended in its first.
    constexpr int kShort = 300;
    for (int round = 0; round < kShort + 3; ++round) {
        const size_t size = round < kShort ? random() % 24 : round == kShort ? 2'400'000 : 300'000;
        std::u16string text(size, u' ');
        for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
        if (round >= kShort) {  // lines of about a hundred characters: a big text of many short ones takes Qt long
            for (char16_t& c : text)
                c = (c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029) && random() % 16 != 0 ? u'x' : c;
        }
        if (round < kShort && round % 50 == 0) text += u'\0' + text;  // the saved text ends at a NUL
        if (round == kShort + 1) text += u'\0' + text.substr(0, text.size() / 2);
        if (round == kShort + 2) text[text.size() / 3] = u'\0';
        const bool all = round % 2 == 1;
        memo().setPlainText(QString::fromStdU16String(text));
        reference.loadBytes(
            convertToHtmlStepByStep(memo().text(), all ? HtmlConversion::All : HtmlConversion::KeepTags));
        click(all ? form().ButReplaceAll : form().ButReplace);
        memo().finishLoading();
        reference.finishLoading();
        ASSERT_EQ(memo().document()->toRawText(), reference.document()->toRawText()) << round;
        EXPECT_EQ(form().LabShowZeilenAnz->text().toInt(), memo().count());
    }
}

}  // namespace
}  // namespace korvex::testing
