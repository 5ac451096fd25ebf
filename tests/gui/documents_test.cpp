// Documents on real files: Save, Save as, Open, New/Close, the close of the
// main window, the save question and the header line.
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <set>
#include <string_view>

#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "dialogs/uPhrasen.h"
#include "display/documenttext.h"
#include "document/docformat.h"
#include "document/headerfield.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class DocumentTest : public MainWindowTest {};

TEST_F(DocumentTest, SaveAsWritesTextAndHeaderAndNamesTheDocument) {
    type(QStringLiteral("Hallo"));
    form().EdiKopfzeile->setText(QStringLiteral("Betrifft: Größe"));
    const QString path = pathInWorkingDir(QStringLiteral("brief.txt"));
    platform.saveAnswers.push_back(path);
    QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
    EXPECT_EQ(readFile(path), QByteArray("Betrifft: Gr\xF6\xDF"
                                         "e\r\n#kopf#\r\nHallo"));
    EXPECT_EQ(form().files().currentFileName, path);
    EXPECT_EQ(form().LabShowDatName->text(), path);
    EXPECT_EQ(form().files().saveDir, workingDir.path() + QDir::separator());
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(memo().text(), "Hallo");  // saving never puts the header into the text window
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

TEST_F(DocumentTest, SavingKeepsCaretSelectionAndText) {
    memo().loadBytes("eins zwei drei");
    QTextCursor cursor = memo().textCursor();
    cursor.setPosition(5);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    memo().setTextCursor(cursor);
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    form().documentRead(pathInWorkingDir(QStringLiteral("a.txt")), {});
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(memo().textCursor().selectionStart(), 5);
    EXPECT_EQ(memo().textCursor().selectionEnd(), 9);
    EXPECT_EQ(memo().text(), "eins zwei drei");
}

TEST_F(DocumentTest, EmptyTextWithHeaderIsJustTheHeaderBlock) {
    form().EdiKopfzeile->setText(QStringLiteral("Betrifft:"));
    form().documentRead(pathInWorkingDir(QStringLiteral("leer.txt")), {});
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(form().files().currentFileName), QByteArray("Betrifft:\r\n#kopf#\r\n"));
    EXPECT_EQ(memo().text(), "");
}

TEST_F(DocumentTest, SaveWritesBackWithoutDialogAfterOpen) {
    const QString path = pathInWorkingDir(QStringLiteral("alt.txt"));
    writeFile(path, "Kopf\r\n#kopf#\r\nInhalt\r\n");
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "Inhalt\r\n");
    EXPECT_EQ(form().EdiKopfzeile->text(), "Kopf");
    EXPECT_EQ(form().files().openDir, workingDir.path() + QDir::separator());
    type(QStringLiteral("x"));
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_TRUE(platform.saveDialogFolders.isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("Kopf\r\n#kopf#\r\nxInhalt\r\n"));
}

// Another program wrote the file after it was opened here: Save wrote over
// its changes without a word. Now Save asks first, also on the way out;
// NEIN keeps the other program's file and the window's text.
TEST_F(DocumentTest, RegressionSaveOverwroteWhatAnotherProgramWroteToTheFile) {
    const QString path = pathInWorkingDir(QStringLiteral("geteilt.txt"));
    writeFile(path, "Inhalt\r\n");
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    type(QStringLiteral("x"));
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);  // nobody else wrote it: no question
    EXPECT_EQ(readFile(path), QByteArray("xInhalt\r\n"));
    EXPECT_TRUE(answers.questions().isEmpty());

    writeFile(path, "von anderswo\r\n");
    type(QStringLiteral("y"));
    answers.answerNext(Reply::Nein);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    answers.answerNext(Reply::Ja);  // "Aktuelle Textdatei speichern?", then NEIN to writing over it
    answers.answerNext(Reply::Nein);
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(readFile(path), QByteArray("von anderswo\r\n"));
    EXPECT_EQ(memo().text(), "xyInhalt\r\n");
    EXPECT_FALSE(form().isSaved());
    ASSERT_EQ(answers.questions().size(), 3);
    EXPECT_EQ(answers.questions()[0], QStringLiteral("Die Datei geteilt.txt wurde inzwischen außerhalb von Korvex "
                                                     "geändert.\nTrotzdem speichern und überschreiben?"));

    answers.answerNext(Reply::Ja);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(path), QByteArray("xyInhalt\r\n"));
    EXPECT_TRUE(form().isSaved());
}

// A document big enough to come in pieces: the header is taken from its
// first lines at once, and the save writes the file back byte for byte even
// when it comes before the rest is in.
TEST_F(DocumentTest, BigDocumentOpensInPiecesWithItsHeaderAndSavesWhole) {
    const QString path = pathInWorkingDir(QStringLiteral("gross.txt"));
    QByteArray body;
    for (int i = 0; i < 100'000; ++i)
        body += "Zeile " + QByteArray::number(i) +
                " mit \x84"
                "Anf\xFC"
                "hrung\x93\r\n";
    writeFile(path, "Kopf\r\n#kopf#\r\n" + body);
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_TRUE(memo().isLoading());
    EXPECT_EQ(form().EdiKopfzeile->text(), "Kopf");
    EXPECT_TRUE(form().isSaved());
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_FALSE(memo().isLoading());
    EXPECT_EQ(readFile(path), "Kopf\r\n#kopf#\r\n" + body);
}

TEST_F(DocumentTest, WrappedHeaderLoadsBackWhole) {
    const QString header = QString(60, QLatin1Char('k')) + QStringLiteral(" ") + QString(39, QLatin1Char('m'));
    form().resize(300, form().height());  // the header wraps into two display lines
    QApplication::processEvents();
    form().EdiKopfzeile->setText(header);
    memo().loadBytes("Text");
    form().documentRead(pathInWorkingDir(QStringLiteral("kopf.txt")), {});
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(form().files().currentFileName), (header + QStringLiteral("\r\n#kopf#\r\nText")).toLatin1());
    form().EdiKopfzeile->clear();
    memo().clear();
    platform.openAnswers.push_back(form().files().currentFileName);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(form().EdiKopfzeile->text(), header);
    EXPECT_EQ(memo().text(), "Text");
}

TEST_F(DocumentTest, OpenWithoutHeaderKeepsTheHeaderField) {
    const QString path = pathInWorkingDir(QStringLiteral("ohne.txt"));
    writeFile(path, "nur Text");
    form().EdiKopfzeile->setText(QStringLiteral("bleibt"));
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(form().EdiKopfzeile->text(), "bleibt");
    EXPECT_TRUE(form().isSaved());
}

TEST_F(DocumentTest, LoadedHeaderIsCutTo100) {
    const QString path = pathInWorkingDir(QStringLiteral("lang.txt"));
    form().resize(2000, form().height());
    QApplication::processEvents();
    writeFile(path, QByteArray(130, 'h') + "\r\n#kopf#\r\nx");
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(form().EdiKopfzeile->text(), QString(100, QLatin1Char('h')));
}

TEST_F(DocumentTest, EveryByteButNulCrLfRoundTrips) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    }
    const QString path = pathInWorkingDir(QStringLiteral("bytes.txt"));
    writeFile(path, all);
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    QFile::remove(path);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(path), all);
}

TEST_F(DocumentTest, FailedOpenChangesNothingAndDoesNotRetargetTheNextSave) {
    const QString opened = pathInWorkingDir(QStringLiteral("a.txt"));
    writeFile(opened, "bleibt");
    platform.openAnswers.push_back(opened);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    form().markSaved();  // nothing to ask
    const QString folder = pathInWorkingDir(QStringLiteral("anderswo"));
    ASSERT_TRUE(QDir(workingDir.path()).mkdir(QStringLiteral("anderswo")));
    const QString missing = folder + QStringLiteral("/fehlt.txt");
    for (const QString& path : {missing, folder}) {
        platform.openAnswers.push_back(path);
        QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
        ASSERT_FALSE(platform.errorReports.isEmpty());
        EXPECT_EQ(platform.errorReports.last(),
                  QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(QDir::toNativeSeparators(path)));
        EXPECT_EQ(memo().text(), "bleibt");
        EXPECT_EQ(form().EdiKopfzeile->text(), "Kopf");
        EXPECT_TRUE(form().isSaved());
        EXPECT_EQ(form().files().currentFileName, opened);
        EXPECT_EQ(form().LabShowDatName->text(), opened);
        EXPECT_EQ(form().files().openDir, workingDir.path() + QDir::separator());
    }
    type(QStringLiteral("x"));
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(opened), QByteArray("Kopf\r\n#kopf#\r\nxbleibt"));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(DocumentTest, FailedSaveAsDoesNotRetargetTheNextSave) {
    type(QStringLiteral("Text"));
    const QString unreachable = pathInWorkingDir(QStringLiteral("gibtsnicht/x.txt"));
    platform.saveAnswers.push_back(unreachable);
    QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
    EXPECT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(form().files().currentFileName.isEmpty());
    // Still unnamed: Save asks for a name again.
    const QString named = pathInWorkingDir(QStringLiteral("gut.txt"));
    platform.saveAnswers.push_back(named);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(platform.saveDialogFolders.size(), 2);
    EXPECT_EQ(readFile(named), QByteArray("Text"));
    // Named: a failed Save as keeps the name the document had.
    platform.saveAnswers.push_back(unreachable);
    QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
    EXPECT_EQ(platform.errorReports.size(), 2);
    EXPECT_EQ(form().files().currentFileName, named);
    type(QStringLiteral("!"));
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(platform.errorReports.size(), 2);
    EXPECT_EQ(readFile(named), QByteArray::fromStdString(memo().text()));
}

TEST_F(DocumentTest, OpenSaysWhenANulByteCutTheTextOrTheFileIsUtf8) {
    const QString cut = pathInWorkingDir(QStringLiteral("nul.txt"));
    writeFile(cut, QByteArray("Kopf\r\n#kopf#\r\nvorne\0hinten", 27));
    platform.openAnswers.push_back(cut);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "vorne");
    EXPECT_EQ(form().EdiKopfzeile->text(), "Kopf");
    EXPECT_EQ(form().files().currentFileName, cut);
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(platform.messages,
              QStringList{QStringLiteral("Die Datei %1 enthält ein NUL-Byte. Der Text nach dem NUL-Byte wurde nicht "
                                         "geladen und geht verloren, wenn Sie über diese Datei speichern.")
                              .arg(QDir::toNativeSeparators(cut))});
    // Lone CR and LF become CR LF without a word.
    const QString breaks = pathInWorkingDir(QStringLiteral("umbrueche.txt"));
    writeFile(breaks, "a\rb\nc");
    platform.openAnswers.push_back(breaks);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "a\r\nb\r\nc");
    EXPECT_EQ(platform.messages.size(), 1);

    // Written in UTF-8: the bytes are shown as Windows-1252 reads them, and the user is told why.
    const struct {
        QByteArray bytes;
        bool utf8;
    } files[] = {
        {QStringLiteral("Sehr geehrte Frau Müller, Grüße aus Köln\r\n").toUtf8(), true},
        {QByteArray("Sehr geehrte Frau M\xFCller, Gr\xFC\xDF"
                    "e aus K\xF6ln\r\n"),
         false},
        {QByteArray("\xC3\xA4 und dann \xFC"), false},  // a lone umlaut after the first one
    };
    const QString path = pathInWorkingDir(QStringLiteral("kodiert.txt"));
    for (const auto& file : files) {
        platform.messages.clear();
        writeFile(path, file.bytes);
        platform.openAnswers.push_back(path);
        QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
        EXPECT_EQ(memo().text(), file.bytes.toStdString());
        const QString told = QStringLiteral(
                                 "Die Datei %1 ist offenbar in UTF-8 geschrieben. Korvex liest und schreibt Texte in "
                                 "Windows-1252: Umlaute und andere Sonderzeichen der Datei erscheinen hier verfälscht, "
                                 "und was Sie neu eingeben, wird in Windows-1252 gespeichert.")
                                 .arg(QDir::toNativeSeparators(path));
        EXPECT_EQ(platform.messages, file.utf8 ? QStringList{told} : QStringList{}) << file.bytes.toStdString();
    }
}

TEST_F(DocumentTest, FailedSaveKeepsWindowAndOldFile) {
    const QString path = pathInWorkingDir(QStringLiteral("fest.txt"));
    writeFile(path, "alter Inhalt");
    type(QStringLiteral("neu"));
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    // A folder that does not exist, and a file name taken by a folder.
    QDir(workingDir.path()).mkdir(QStringLiteral("ordner"));
    for (const QString& target :
         {pathInWorkingDir(QStringLiteral("gibtsnicht/x.txt")), pathInWorkingDir(QStringLiteral("ordner"))}) {
        form().documentRead(target, {});
        QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
        ASSERT_FALSE(platform.errorReports.isEmpty());
        EXPECT_EQ(platform.errorReports.last(),
                  QStringLiteral("Datei %1 kann nicht erstellt werden").arg(QDir::toNativeSeparators(target)));
        EXPECT_EQ(memo().text(), "neu");
        EXPECT_FALSE(form().isSaved());
    }
    EXPECT_EQ(readFile(path), QByteArray("alter Inhalt"));
    EXPECT_EQ(QDir(workingDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("fest.txt")});
}

TEST_F(DocumentTest, SaveKeepsPermissionsOfTheFile) {
    const QString path = pathInWorkingDir(QStringLiteral("rechte.txt"));
    writeFile(path, "x");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
    form().documentRead(path, {});
    type(QStringLiteral("y"));
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(DocumentTest, SaveAsWithEmptyNameSaysSoAndChangesNothing) {
    type(QStringLiteral("a"));
    platform.saveAnswers.push_back(QString());
    QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
    EXPECT_EQ(platform.messages, QStringList{QStringLiteral("Filename fehlt! Nochmal speichern!")});
    EXPECT_TRUE(form().files().currentFileName.isEmpty());
    EXPECT_FALSE(form().isSaved());
}

TEST_F(DocumentTest, NewCloseAsksNothingForEmptyOrBreaksOnlyText) {
    memo().loadBytes("\r\n\r\n");
    form().markChanged();
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(answers.questions().size(), 0);
    EXPECT_EQ(memo().text(), "");
}

TEST_F(DocumentTest, NewCloseAsksForBlanksAndDiscardsOnNein) {
    form().documentRead(pathInWorkingDir(QStringLiteral("x.txt")), {});
    type(QStringLiteral("   "));
    form().EdiKopfzeile->setText(QStringLiteral("Kopf"));
    answers.answerNext(Reply::Nein);
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(answers.questions(), QStringList{QStringLiteral("Aktuelle Textdatei speichern?")});
    EXPECT_EQ(memo().text(), "");
    EXPECT_EQ(form().EdiKopfzeile->text(), "");
    EXPECT_EQ(form().LabShowDatName->text(), "");
    EXPECT_TRUE(form().files().currentFileName.isEmpty());
    EXPECT_TRUE(form().isSaved());
    EXPECT_EQ(form().LabShowZeilenAnz->text(), "0");
}

TEST_F(DocumentTest, NewCloseJaSavesThenClears) {
    type(QStringLiteral("wichtig"));
    const QString path = pathInWorkingDir(QStringLiteral("j.txt"));
    platform.saveAnswers.push_back(path);
    answers.answerNext(Reply::Ja);
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(readFile(path), QByteArray("wichtig"));
    EXPECT_EQ(memo().text(), "");
}

TEST_F(DocumentTest, JaWithoutASaveKeepsTheText) {
    type(QStringLiteral("wichtig"));
    answers.answerNext(Reply::Ja);  // then the save dialog is cancelled
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "wichtig");
    answers.answerNext(Reply::Ja);  // then the name is missing
    platform.saveAnswers.push_back(QString());
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "wichtig");
    answers.answerNext(Reply::Ja);  // then the write fails
    form().documentRead(pathInWorkingDir(QStringLiteral("nicht/da.txt")), {});
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "wichtig");
    EXPECT_EQ(platform.errorReports.size(), 1);
}

TEST_F(DocumentTest, AbbrechenAndTitleBarCloseKeepEverything) {
    type(QStringLiteral("text"));
    for (Reply reply : {Reply::Abbrechen, Reply::TitleBar}) {
        answers.answerNext(reply);
        QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
        EXPECT_EQ(memo().text(), "text");
        EXPECT_FALSE(form().isSaved());
    }
}

TEST_F(DocumentTest, OpenAsksFirstAndAbbrechenShowsNoDialog) {
    type(QStringLiteral("ungespeichert"));
    answers.answerNext(Reply::Abbrechen);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_TRUE(platform.openDialogFolders.isEmpty());
    EXPECT_EQ(memo().text(), "ungespeichert");
    const QString path = pathInWorkingDir(QStringLiteral("o.txt"));
    writeFile(path, "anderes");
    answers.answerNext(Reply::Nein);
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    EXPECT_EQ(memo().text(), "anderes");
}

TEST_F(DocumentTest, CloseWithAbbrechenKeepsTheWindowOpen) {
    type(QStringLiteral("offen"));
    answers.answerNext(Reply::Abbrechen);
    QTest::mouseClick(form().BitButClose, Qt::LeftButton);
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(QFile::exists(pathInWorkingDir(QStringLiteral("Korvex23Ini.txt"))));
    answers.answerNext(Reply::Nein);
    EXPECT_TRUE(form().close());
}

TEST_F(DocumentTest, BeendenAsksAgainAfterAbbrechenInNewClose) {
    type(QStringLiteral("zweimal"));
    answers.answerNext(Reply::Abbrechen);
    answers.answerNext(Reply::Abbrechen);
    form().Beenden1->trigger();
    EXPECT_EQ(answers.questions().size(), 2);
    EXPECT_TRUE(form().isVisible());
}

TEST_F(DocumentTest, HeaderFieldHoldsAtMost100Characters) {
    HeaderField& field = *form().EdiKopfzeile;
    field.setFocus();
    field.setText(QString(100, QLatin1Char('a')));
    field.setCursorPosition(100);
    QTest::keyClick(&field, Qt::Key_B);
    EXPECT_EQ(field.text().size(), 100);
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text().size(), 99);
    QTest::keyClicks(&field, QStringLiteral("bc"));
    EXPECT_EQ(field.text(), QString(99, QLatin1Char('a')) + QStringLiteral("b"));
    field.clear();
    field.insert(QString(150, QLatin1Char('p')));  // what a paste does
    EXPECT_EQ(field.text().size(), 100);
}

TEST_F(DocumentTest, EditingOnlyTheHeaderAsksBeforeItIsLost) {
    const QString path = pathInWorkingDir(QStringLiteral("kopf.txt"));
    writeFile(path, "Kopf\r\n#kopf#\r\nText");
    platform.openAnswers.push_back(path);
    QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    HeaderField& field = *form().EdiKopfzeile;
    field.setFocus();
    field.end(false);
    QTest::keyClicks(&field, QStringLiteral("zeile"));
    EXPECT_FALSE(form().isSaved());
    answers.answerNext(Reply::Abbrechen);
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(field.text(), "Kopfzeile");

    // Pasted, too; and a header alone, without text, is worth the question.
    memo().clear();
    form().markSaved();
    QApplication::clipboard()->setText(QStringLiteral(" neu"));
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(form().isSaved());
    answers.answerNext(Reply::Abbrechen);
    QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
    EXPECT_EQ(field.text(), "Kopfzeile neu");
    EXPECT_EQ(answers.questions().size(), 2);
}

// The ways text enters the text window and the header field, each given the
// same awkward text: a NUL, every form of line break, characters Windows-1252
// cannot hold and some it can.
QString awkwardText() {
    return QStringLiteral("A") + QChar(u'\0') +
           QStringLiteral("B\rC\nD\r\nE\u2028F\u2029G\u0394H\U0001F600I\u20AC\u00E4\tJ");
}

class InputPathTest : public DocumentTest {
protected:
    void sendDrop(QWidget& target, const QString& text) {
        QMimeData data;
        data.setText(text);
        // The drop goes where the drag was taken in.
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
    }
    void sendKeys(QWidget& target, const QString& text) {
        for (const QChar c : text) {
            if (c == u'\n') {
                QTest::keyClick(&target, Qt::Key_Return);
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&target, &press);
        }
    }
    void sendInputMethod(QWidget& target, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(&target, &commit);
    }
    void pasteWithKeys(QWidget& target, const QString& text, QKeyCombination keys) {
        QApplication::clipboard()->setText(text);
        target.setFocus();
        QTest::keyClick(&target, keys.key(), keys.keyboardModifiers());
    }
    // The phrase editor closes once the phrase is in (else it is closed here).
    void insertPhrase(const QString& text, QPushButton* TForm3::*button, bool goesIn = true) {
        QTest::mouseClick(form().ButPhrasen, Qt::LeftButton);
        TForm3& editor = *windows.Form3;
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor, kPatienceMs));
        editor.MemPhrasen->setPlainText(text);
        editor.MemPhrasen->selectAll();
        QTest::mouseClick(editor.*button, Qt::LeftButton);
        ASSERT_EQ(editor.isVisible(), !goesIn);
        if (!goesIn) QTest::mouseClick(editor.ButAbbr, Qt::LeftButton);
    }
    // What the window holds is saved and comes back whole from the file.
    void expectSavedAndLoadedBackWhole(const char* way) {
        const std::string text = memo().text();
        const int lines = memo().document()->blockCount();
        const QString header = form().EdiKopfzeile->text();
        EXPECT_EQ(text.find('\0'), std::string::npos) << way;
        EXPECT_FALSE(header.contains(QChar(u'\0')) || header.contains(u'\r') || header.contains(u'\n')) << way;
        const QString path = pathInWorkingDir(QStringLiteral("weg.txt"));
        platform.saveAnswers.push_back(path);
        QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
        EXPECT_EQ(readFile(path).toStdString(), composeDocument(toCp1252(header), text)) << way;
        memo().clear();
        form().EdiKopfzeile->clear();
        platform.openAnswers.push_back(path);
        QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
        EXPECT_EQ(memo().text(), text) << way;
        EXPECT_EQ(memo().document()->blockCount(), lines) << way << ": a line break the window did not break at";
        EXPECT_EQ(form().EdiKopfzeile->text(), header) << way;
        EXPECT_TRUE(platform.messages.isEmpty()) << way;
    }
};

TEST_F(InputPathTest, TextEnteredAnyWayIsTheSameWarnsOfLostCharactersAndComesBackWhole) {
    HeaderField& field = *form().EdiKopfzeile;
    const QString text = awkwardText();
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Tippen", [&] { sendKeys(memo(), text); }},
        {"Eingabemethode", [&] { sendInputMethod(memo(), text); }},
        {"Strg+V", [&] { pasteWithKeys(memo(), text, Qt::CTRL | Qt::Key_V); }},
        {"Umschalt+Einfg", [&] { pasteWithKeys(memo(), text, Qt::SHIFT | Qt::Key_Insert); }},
        {"Kontextmenü",
         [&] {
             QApplication::clipboard()->setText(text);
             memo().paste();
         }},
        {"Ziehen", [&] { sendDrop(*memo().viewport(), text); }},
        {"E",
         [&] {
             QApplication::clipboard()->setText(text);
             click(form().ButE);
         }},
        {"Dat",
         [&] {
             form().EdiDatum->setText(text);
             click(form().ButDatum);
         }},
        {"Phrase einfügen", [&] { insertPhrase(text, &TForm3::ButPhrEinf); }},
        {"Einfüg. üb. Zw'ablage", [&] { insertPhrase(text, &TForm3::Button1); }},
        {"Kopfzeile tippen", [&] { sendKeys(field, text); }},
        {"Kopfzeile Eingabemethode", [&] { sendInputMethod(field, text); }},
        {"Kopfzeile Strg+V", [&] { pasteWithKeys(field, text, Qt::CTRL | Qt::Key_V); }},
        {"Kopfzeile Umschalt+Einfg", [&] { pasteWithKeys(field, text, Qt::SHIFT | Qt::Key_Insert); }},
        {"Kopfzeile Kontextmenü",
         [&] {
             QApplication::clipboard()->setText(text);
             field.paste();
         }},
        {"Kopfzeile Ziehen", [&] { sendDrop(field, text); }},
    };
    // What each way that takes the text whole puts in the window: the same
    // (typed here, it comes a UTF-16 unit a key, and a CR is no Return key).
    std::set<std::string> takenWhole;
    // Before the "?" goes in, once for each time text enters: Δ and the emoji
    // (which typing sends as two halves, each a key of its own; the header
    // field takes no such half).
    const QString one = QStringLiteral(
        "1 Zeichen kann in Windows-1252 nicht gespeichert werden und wird als „?“ eingefügt.");
    const QString two = QStringLiteral(
        "2 Zeichen können in Windows-1252 nicht gespeichert werden und werden als „?“ eingefügt.");
    for (const auto& [way, enter] : ways) {
        memo().clear();
        field.clear();
        memo().setFocus();
        form().markSaved();
        platform.messages.clear();
        enter();
        ASSERT_FALSE(memo().isDocumentEmpty() && field.text().isEmpty()) << way << ": nothing arrived";
        const std::string_view name(way);
        QApplication::processEvents();  // the header field's warning follows its edit
        QStringList warnings{two};
        if (name == "Tippen") warnings = {one, one, one};
        if (name == "Kopfzeile tippen") warnings = {one};
        EXPECT_EQ(platform.messages, warnings) << way;
        platform.messages.clear();
        if (name != "Tippen" && !name.starts_with("Kopfzeile")) takenWhole.insert(memo().text());
        expectSavedAndLoadedBackWhole(way);
    }
    EXPECT_EQ(takenWhole.size(), 1);
}

// A paste of one line of millions of characters froze the window (and the
// phrase editor) for minutes in Qt's layout, and a file with a line longer
// than the window loads could not be opened again: text is refused as a load
// would be, on every way in, and the window keeps what it held.
TEST_F(InputPathTest, RegressionPastedHugeLineFrozeTheWindow) {
    const auto pasteWays = [this](const QString& text, bool fits) {
        return std::vector<std::pair<const char*, std::function<void()>>>{
            {"Strg+V", [=, this] { pasteWithKeys(memo(), text, Qt::CTRL | Qt::Key_V); }},
            {"Ziehen", [=, this] { sendDrop(*memo().viewport(), text); }},
            {"E",
             [=, this] {
                 QApplication::clipboard()->setText(text);
                 click(form().ButE);
             }},
            {"Phrase einfügen", [=, this] { insertPhrase(text, &TForm3::ButPhrEinf, fits); }},
        };
    };
    const std::string start = "Anfang\r\nEnde";
    const qsizetype room = TextWindow::kMaxLineLength - qsizetype{6};  // beside "Anfang"
    for (const bool fits : {false, true}) {
        // Before the text, across a line break: only the part that joins "Anfang" counts.
        const QString text = QStringLiteral("neu\n") + QString(fits ? room : room + 1, QLatin1Char('x'));
        for (const auto& [way, paste] : pasteWays(text, fits)) {
            memo().loadBytes(start);
            memo().moveCursor(QTextCursor::Start);
            platform.errorReports.clear();
            paste();
            EXPECT_EQ(memo().text(), fits ? "neu\r\n" + std::string(static_cast<size_t>(room), 'x') + start : start)
                << way;
            EXPECT_EQ(platform.errorReports,
                      fits ? QStringList() : QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")})
                << way;
        }
    }

    // The phrase editor is laid out by Qt alike.
    QTest::mouseClick(form().ButPhrasen, Qt::LeftButton);
    QPlainTextEdit& phrases = *windows.Form3->MemPhrasen;
    ASSERT_TRUE(QTest::qWaitForWindowActive(windows.Form3, kPatienceMs));
    phrases.setPlainText(QStringLiteral("Anfang"));
    platform.errorReports.clear();
    pasteWithKeys(phrases, QString(room + 1, QLatin1Char('x')), Qt::CTRL | Qt::Key_V);
    EXPECT_EQ(phrases.toPlainText(), QStringLiteral("Anfang"));
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")});
    QTest::mouseClick(windows.Form3->ButAbbr, Qt::LeftButton);
}

TEST_F(InputPathTest, LineBreaksEnteringTheHeaderBecomeBlanks) {
    HeaderField& field = *form().EdiKopfzeile;
    const QString lines = QStringLiteral("Betreff\r\nZeile2\nDrei\rVier");
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Strg+V", [&] { pasteWithKeys(field, lines, Qt::CTRL | Qt::Key_V); }},
        {"Umschalt+Einfg", [&] { pasteWithKeys(field, lines, Qt::SHIFT | Qt::Key_Insert); }},
        {"Kontextmenü",
         [&] {
             QApplication::clipboard()->setText(lines);
             field.paste();
         }},
        {"Ziehen", [&] { sendDrop(field, lines); }},
    };
    for (const auto& [way, enter] : ways) {
        field.clear();
        enter();
        EXPECT_EQ(field.text(), "Betreff Zeile2 Drei Vier") << way;
    }
}

}  // namespace
}  // namespace korvex::testing
