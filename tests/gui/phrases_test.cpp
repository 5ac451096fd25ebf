// The phrase editor: the built-in notice, loading and writing the phrase
// file, inserting a marked phrase directly or through the clipboard, and
// keeping unsaved edits across window switches and the end of the program.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "app/uKorvex21.h"
#include "dialogs/uPhrasen.h"
#include "display/boundedtextedit.h"
#include "display/documenttext.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"

namespace korvex::testing {
namespace {

const QString kNoticeLine1 = QStringLiteral("Die Phrasendatei KVXPhras.txt wurde nicht im aktuellen Verzeichnis ");

class PhrasesTest : public MainWindowTest {
protected:
    TForm3& editor() { return *windows.Form3; }
    QPlainTextEdit& phrases() { return *windows.Form3->MemPhrasen; }
    QString phraseFile() { return form().phraseFilePath(); }

    void openEditor() {
        QTest::mouseClick(form().ButPhrasen, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor(), kPatienceMs));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor(), kPatienceMs));
        QApplication::processEvents();
    }
    // A window manager may let a request pass when it comes in a busy moment: ask again now and then.
    void activate(QWidget& window) {
        const bool active = waitUntil([&] {
            if (QApplication::activeWindow() == &window) return true;
            window.raise();
            window.activateWindow();
            return waitUntil([&] { return QApplication::activeWindow() == &window; }, 2000);
        });
        ASSERT_TRUE(active) << "still active: " << (QApplication::activeWindow() ? "another window" : "none");
        QApplication::processEvents();
    }
    // Marks the characters [from, to) of the phrase text.
    void select(int from, int to) {
        QTextCursor cursor = phrases().textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        phrases().setTextCursor(cursor);
    }
    void caretToEnd() {
        QTextCursor cursor = phrases().textCursor();
        cursor.movePosition(QTextCursor::End);
        phrases().setTextCursor(cursor);
    }
    static QByteArray cp1252(const QString& text) {
        const std::string bytes = bytesFromDocumentText(text);
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    }
};

TEST_F(PhrasesTest, FirstUseShowsTheNoticeInTheEditorsLook) {
    openEditor();
    EXPECT_EQ(editor().windowTitle(), "KORVEX V2.3 // Phraseneditor");
    EXPECT_TRUE(editor().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(editor().isModal());
    EXPECT_EQ(editor().width(), form().width());
    EXPECT_EQ(editor().height(), 601);

    const QTextDocument* doc = phrases().document();
    ASSERT_EQ(doc->blockCount(), 14);
    EXPECT_EQ(doc->findBlockByNumber(0).text(), kNoticeLine1);
    EXPECT_EQ(doc->findBlockByNumber(5).text(), "KVXPhras.txt gespeichert.    ");
    EXPECT_EQ(doc->findBlockByNumber(6).text(), "");
    EXPECT_EQ(doc->findBlockByNumber(13).text(), "Auf Ihre Anfrage vom    möchte ich Ihnen folgendes mitteilen:");

    EXPECT_EQ(phrases().palette().color(QPalette::Base), QColor(230, 230, 240));
    EXPECT_EQ(phrases().palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(phrases().font(), memo().font());
    EXPECT_EQ(QApplication::focusWidget(), &phrases());
    EXPECT_EQ(editor().ButPhrEinf->text(), "Phrase einfügen");
    EXPECT_EQ(editor().Button1->text(), "Einfüg. üb. Zw'ablage");
    EXPECT_EQ(editor().ButAbbr->text(), "Abbrechen");
    EXPECT_FALSE(editor().PhrasesModified);

    // Looking without editing writes nothing.
    QTest::mouseClick(editor().ButAbbr, Qt::LeftButton);
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(form().focusWidget(), &memo());
    EXPECT_FALSE(QFile::exists(phraseFile()));
}

TEST_F(PhrasesTest, TypingAndClosingCreatesThePhraseFile) {
    openEditor();
    caretToEnd();
    QTest::keyClick(&phrases(), Qt::Key_Return);
    type("Mit besten Wuenschen");
    EXPECT_TRUE(editor().PhrasesModified);
    editor().close();
    EXPECT_EQ(readFile(phraseFile()), cp1252(phrases().toPlainText()));
    EXPECT_TRUE(readFile(phraseFile())
                    .endsWith("Anfrage vom    m\xf6"
                              "chte ich Ihnen folgendes mitteilen:\r\nMit besten Wuenschen"));
    EXPECT_FALSE(editor().PhrasesModified);

    // Shown again, the editor reads the file instead of the notice.
    writeFile(phraseFile(), "Anbei\r\nHochachtungsvoll");
    openEditor();
    EXPECT_EQ(phrases().toPlainText(), "Anbei\nHochachtungsvoll");
    EXPECT_FALSE(editor().PhrasesModified);
}

// A phrase file holding a line longer than a text window takes froze the
// phrase editor in Qt's layout of it. It is refused like such a document,
// and left as it is.
TEST_F(PhrasesTest, RegressionPhraseFileWithAHugeLineFrozeTheEditor) {
    const QByteArray huge = "Anbei\r\n" + QByteArray(BoundedTextEdit::kMaxLineLength + 1, 'x');
    writeFile(phraseFile(), huge);
    openEditor();
    EXPECT_EQ(platform.errorReports, QStringList{BoundedTextEdit::kOverCapacity});
    EXPECT_EQ(phrases().document()->firstBlock().text(), kNoticeLine1);  // what it held before
    QTest::mouseClick(editor().ButAbbr, Qt::LeftButton);
    EXPECT_EQ(readFile(phraseFile()), huge);
}

TEST_F(PhrasesTest, ActivationReloadsTheFileWhenNothingIsUnsaved) {
    writeFile(phraseFile(), "Alt");
    openEditor();
    EXPECT_EQ(phrases().toPlainText(), "Alt");
    activate(form());
    writeFile(phraseFile(), "Neu\r\nzweite Zeile");
    activate(editor());
    EXPECT_EQ(phrases().toPlainText(), "Neu\nzweite Zeile");
    EXPECT_EQ(QApplication::focusWidget(), editor().ButPhrEinf);
    EXPECT_FALSE(editor().PhrasesModified);
}

TEST_F(PhrasesTest, RegressionClickBackIntoThePhrasesLostTheFirstKey) {
    writeFile(phraseFile(), "Anlagen");
    openEditor();
    activate(form());
    // The click arrives before the window manager reports the activation it causes.
    QTest::mouseClick(phrases().viewport(), Qt::LeftButton, {}, QPoint(200, 5));
    activate(editor());
    EXPECT_EQ(QApplication::focusWidget(), &phrases());
    type(" ");  // on "Phrase einfügen" it would insert a phrase
    EXPECT_EQ(phrases().toPlainText(), "Anlagen ");
    EXPECT_TRUE(editor().isVisible());
}

TEST_F(PhrasesTest, ActivationKeepsUnsavedEdits) {
    writeFile(phraseFile(), "Alt");
    openEditor();
    caretToEnd();
    type(" und bewahrt");
    activate(form());
    writeFile(phraseFile(), "von anderswo");
    activate(editor());
    EXPECT_EQ(phrases().toPlainText(), "Alt und bewahrt");
    EXPECT_TRUE(editor().PhrasesModified);
    answers.answerNext(Reply::Ja);  // to writing over what came from elsewhere
    editor().close();
    EXPECT_EQ(answers.questions().size(), 1);
    EXPECT_EQ(readFile(phraseFile()), "Alt und bewahrt");
}

// Another Korvex in the same folder saved its phrases while this one's
// editor held unsaved edits: closing the editor wrote over them without a
// word. Now it asks: ABBRECHEN keeps both (also at the program's end), NEIN
// takes the file's phrases, JA writes (above).
TEST_F(PhrasesTest, RegressionClosingWroteOverPhrasesAnotherKorvexHadSaved) {
    writeFile(phraseFile(), "Alt");
    openEditor();
    caretToEnd();
    type(" und neu");
    writeFile(phraseFile(), "von anderswo");
    answers.answerNext(Reply::Abbrechen);
    editor().close();
    EXPECT_EQ(readFile(phraseFile()), "von anderswo");
    EXPECT_TRUE(editor().PhrasesModified);
    EXPECT_EQ(phrases().toPlainText(), "Alt und neu");
    answers.answerNext(Reply::Abbrechen);
    EXPECT_FALSE(form().close());
    ASSERT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(platform.errorReports[0].startsWith("Die Phrasendatei wurde inzwischen außerhalb von Korvex geändert"));

    openEditor();
    answers.answerNext(Reply::Nein);
    editor().close();
    EXPECT_EQ(readFile(phraseFile()), "von anderswo");
    EXPECT_EQ(phrases().toPlainText(), "von anderswo");
    EXPECT_FALSE(editor().PhrasesModified);
    ASSERT_EQ(answers.questions().size(), 3);
    EXPECT_TRUE(answers.questions()[0].startsWith("Die Phrasendatei wurde inzwischen außerhalb von Korvex geändert."));

    // Inserting a phrase writes the phrase file; without edits of its own the
    // editor leaves a file saved elsewhere meanwhile as it is, and asks nothing.
    openEditor();
    writeFile(phraseFile(), "noch neuer");
    select(0, 3);
    answers.answerNext(Reply::Ja);  // for a question that must not come
    QTest::mouseClick(editor().ButPhrEinf, Qt::LeftButton);
    EXPECT_EQ(answers.dropUnanswered(), 1);
    EXPECT_EQ(memo().text(), "von");
    EXPECT_EQ(readFile(phraseFile()), "noch neuer");
}

TEST_F(PhrasesTest, DeleteAndPasteCountAsEdits) {
    writeFile(phraseFile(), "Anlagen");
    openEditor();
    phrases().setFocus();
    QTextCursor cursor = phrases().textCursor();
    cursor.setPosition(0);
    phrases().setTextCursor(cursor);
    QTest::keyClick(&phrases(), Qt::Key_Delete);
    EXPECT_EQ(phrases().toPlainText(), "nlagen");
    EXPECT_TRUE(editor().PhrasesModified);
    editor().close();
    EXPECT_EQ(readFile(phraseFile()), "nlagen");

    openEditor();
    ASSERT_FALSE(editor().PhrasesModified);
    platform.setClipboardText("A");
    phrases().setFocus();
    QTest::keyClick(&phrases(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(phrases().toPlainText(), "Anlagen");
    EXPECT_TRUE(editor().PhrasesModified);
    editor().close();

    // The context menu's paste takes the same way.
    openEditor();
    ASSERT_FALSE(editor().PhrasesModified);
    caretToEnd();
    platform.setClipboardText(":");
    phrases().paste();
    EXPECT_TRUE(editor().PhrasesModified);
    editor().close();
    EXPECT_EQ(readFile(phraseFile()), "Anlagen:");
}

TEST_F(PhrasesTest, UnsavedEditsAreWrittenWhenTheProgramEnds) {
    writeFile(phraseFile(), "Betrifft:");
    openEditor();
    caretToEnd();
    type(" Ihr Schreiben");
    activate(form());
    EXPECT_TRUE(editor().isVisible());
    EXPECT_TRUE(form().close());
    EXPECT_EQ(readFile(phraseFile()), "Betrifft: Ihr Schreiben");
}

TEST_F(PhrasesTest, RegressionFailedWriteAtTheEndLostTheEditedPhrases) {
    // Started in a folder that is gone by the close.
    platform.workingDirectory = pathInWorkingDir("fehlt");
    startProgram();
    openEditor();
    caretToEnd();
    type(" Ihr Schreiben");
    activate(form());
    EXPECT_FALSE(form().close());
    ASSERT_EQ(platform.errorReports.size(), 1);
    // The settings file cannot be written there either: one report names both.
    EXPECT_TRUE(platform.errorReports[0].contains(
        QStringLiteral("Datei %1 kann nicht erstellt werden.\n").arg(form().phraseFilePath())));
    EXPECT_TRUE(platform.errorReports[0].contains("und die geänderten Phrasen zu speichern"));
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(editor().PhrasesModified);
    EXPECT_TRUE(phrases().toPlainText().endsWith("mitteilen: Ihr Schreiben"));
    // Once the folder is back, the next close writes them.
    ASSERT_TRUE(QDir(workingDir.path()).mkdir("fehlt"));
    EXPECT_TRUE(form().close());
    EXPECT_TRUE(readFile(phraseFile()).endsWith("mitteilen: Ihr Schreiben"));
}

TEST_F(PhrasesTest, InsertingPutsThePhraseAtTheCaretAndWritesTheFile) {
    memo().loadBytes("Anfang  Ende");
    QTextCursor caret = memo().textCursor();
    caret.setPosition(7);
    memo().setTextCursor(caret);
    form().markSaved();

    openEditor();
    select(0, 3);  // "Die"
    QTest::mouseClick(editor().ButPhrEinf, Qt::LeftButton);

    EXPECT_EQ(memo().text(), "Anfang Die Ende");
    EXPECT_FALSE(form().isSaved());
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(form().focusWidget(), &memo());
    // Nothing was typed, yet the notice now lives in the phrase file.
    const QByteArray written = readFile(phraseFile());
    EXPECT_TRUE(written.startsWith(kNoticeLine1.toLatin1() + "\r\ngefunden."));
    EXPECT_EQ(written, cp1252(phrases().toPlainText()));
}

TEST_F(PhrasesTest, SelectionOverSeveralLinesKeepsItsLineBreaks) {
    writeFile(phraseFile(), "Eins\r\nZwei\r\nDrei");
    openEditor();
    select(2, 8);  // "ns", the line break, "Zwe"
    QTest::mouseClick(editor().ButPhrEinf, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "ns\r\nZwe");
    EXPECT_EQ(readFile(phraseFile()), "Eins\r\nZwei\r\nDrei");
}

TEST_F(PhrasesTest, InsertingThroughTheClipboardLeavesThePhraseThere) {
    writeFile(phraseFile(), "Sehr geehrte Damen und Herren,\r\nAnlagen");
    platform.setClipboardText("vorher");
    form().markSaved();
    openEditor();
    select(0, 38);
    QTest::mouseClick(editor().Button1, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "Sehr geehrte Damen und Herren,\r\nAnlagen");
    EXPECT_EQ(platform.clipboardText(), "Sehr geehrte Damen und Herren,\nAnlagen");
    EXPECT_FALSE(form().isSaved());
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(form().focusWidget(), &memo());
}

TEST_F(PhrasesTest, NothingSelectedShowsTheMessageAndInsertsNothing) {
    memo().loadBytes("bleibt");
    form().markSaved();
    platform.setClipboardText("vorher");
    openEditor();
    for (QPushButton* button : {editor().ButPhrEinf, editor().Button1}) {
        select(4, 4);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    const QString message = "Es ist nichts ausgewählt!\n\rBitte eine Auswahl treffen oder abbrechen.";
    EXPECT_EQ(platform.messages, QStringList({message, message}));
    EXPECT_TRUE(editor().isVisible());
    EXPECT_EQ(memo().text(), "bleibt");
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(platform.clipboardText(), "vorher");
    EXPECT_FALSE(QFile::exists(phraseFile()));
}

TEST_F(PhrasesTest, AFailedWriteIsReportedAndTheEditsStay) {
    platform.workingDirectory = pathInWorkingDir("fehlt");  // gone since the start
    startProgram();
    openEditor();
    caretToEnd();
    type("!");
    editor().close();
    ASSERT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(platform.errorReports[0].contains("kann nicht erstellt werden"));
    EXPECT_TRUE(editor().PhrasesModified);

    openEditor();
    EXPECT_TRUE(phrases().toPlainText().endsWith("mitteilen:!"));
}

}  // namespace
}  // namespace korvex::testing
