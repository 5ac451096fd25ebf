// "Repl" and "RAll" on the main window: the whole text converted in place,
// the flag, the status labels and the focus afterwards.
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "app/controls.h"
#include "app/uKorvex21.h"
#include "support/mainwindowfixture.h"

namespace korvex::testing {
namespace {

class HtmlConvertGuiTest : public MainWindowTest {};

TEST_F(HtmlConvertGuiTest, ReplKeepsTagsAndRAllTurnsThemIntoEntities) {
    memo().loadBytes(
        "Gr\xF6\xDF"
        "e & Ma\xDF <b>\xC4</b>");
    form().SavedFlag = true;
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "Gr&ouml;&szlig;e &amp; Ma&szlig; <b>&Auml;</b>");
    EXPECT_FALSE(form().SavedFlag);
    EXPECT_EQ(QApplication::focusWidget(), &memo());

    memo().loadBytes("<b>\xC4</b>");
    form().SavedFlag = true;
    click(form().ButReplaceAll);
    EXPECT_EQ(memo().text(), "&lt;b&gt;&Auml;&lt;/b&gt;");
    EXPECT_FALSE(form().SavedFlag);
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

TEST_F(HtmlConvertGuiTest, NothingToConvertStillCountsAsAChange) {
    form().SavedFlag = true;
    click(form().ButReplaceAll);
    EXPECT_EQ(memo().text(), "");
    EXPECT_FALSE(form().SavedFlag);
    EXPECT_EQ(QApplication::focusWidget(), &memo());

    memo().loadBytes("schlicht");
    form().SavedFlag = true;
    form().ButStart->setFocus();
    click(form().ButReplace);
    EXPECT_EQ(memo().text(), "schlicht");
    EXPECT_FALSE(form().SavedFlag);
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

}  // namespace
}  // namespace korvex::testing
