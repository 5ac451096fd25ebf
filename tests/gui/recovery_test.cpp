// Unsaved text kept in the user's own data folder and offered at the next start;
// files opened from the command line and dropped onto the window.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <new>
#include <optional>

#include "app/uKorvex21.h"
#include "dialogs/uKxMsgDlg.h"
#include "document/headerfield.h"
#include "recovery/copywriter.h"
#include "recovery/recoveryfile.h"
#include "support/mainwindowfixture.h"
#include "support/questionanswerer.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

using recovery::RecoveryKeeper;

const QString kFirstCopy = QStringLiteral("Korvex23Wiederherstellung-1.txt");

class RecoveryTest : public MainWindowTest {
protected:
    // A start as the program makes it, the question (if one is expected) answered.
    void restart(std::optional<Reply> reply, const QStringList& files = {}) {
        windows = WindowSet{};
        windows = createWindowSet(platform);
        if (reply) answers.answerNext(*reply);
        startUp(windows, files);
        QApplication::processEvents();
    }
    RecoveryKeeper& keeper() { return windows.Recovery->keeper(); }
    // Opens brief.txt, which holds "Anfang\r\n", and types "Gruesse" at its end; its path.
    QString openAndTypeIntoBrief() {
        const QString path = pathInWorkingDir(QStringLiteral("brief.txt"));
        writeFile(path, "Anfang\r\n");
        platform.openAnswers.push_back(path);
        click(form().SpButOeffnen);
        memo().moveCursor(QTextCursor::End);
        type(QStringLiteral("Gruesse"));
        return path;
    }
    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QString copiesFolder() const {
        return RecoveryKeeper::copiesFolderFor(platform.userDataDirectory, workingDir.path());
    }
    QString inCopiesFolder(const QString& name) const { return QDir(copiesFolder()).filePath(name); }
    void dropOnTextWindow(QMimeData& data) {
        QWidget* target = memo().viewport();
        const QPoint middle = target->rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
    }
};

// The copy of a document that has a name: text, header, name and caret come
// back, unsaved, after the program died a moment after the typing paused.
// A copy whose failure could not even be reported, memory having run out
// for the report too, took the writing thread and the program with it.
TEST(CopyWriter, RegressionACopyThatFailedToReportEndedTheProgram) {
    recovery::CopyWriter writer;
    writer.post([] { throw std::bad_alloc(); });
    writer.waitIdle();
    bool written = false;
    writer.post([&written] { written = true; });
    writer.waitIdle();
    EXPECT_TRUE(written);
}

TEST_F(RecoveryTest, TypedTextIsWrittenAfterAPauseAndComesBackWithJa) {
    const QString path = openAndTypeIntoBrief();
    form().EdiKopfzeile->setText(QStringLiteral("Betrifft: Größe"));
    const int caret = memo().textCursor().position();
    const QString copy = inCopiesFolder(kFirstCopy);
    EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(copy); }));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(copy).permissions() & others, QFileDevice::Permissions());
    EXPECT_EQ(QFileInfo(inCopiesFolder(QStringLiteral("Korvex23Wiederherstellung-1.lock"))).permissions() & others,
              QFileDevice::Permissions());
    // Out of sight of the file dialogs, where only the user may enter.
    EXPECT_EQ(QFileInfo(copiesFolder()).permissions() & others, QFileDevice::Permissions());
    EXPECT_EQ(filesIn(workingDir.path()), QStringList{QStringLiteral("brief.txt")});

    restart(Reply::Ja);  // the old window set ends without a close, as a killed program would
    ASSERT_EQ(answers.questions().size(), 1);
    EXPECT_TRUE(answers.questions()[0].startsWith(
        QStringLiteral("Ungespeicherten Text wiederherstellen?\nbrief.txt, gesichert am ")));
    EXPECT_EQ(memo().text(), "Anfang\r\nGruesse");
    EXPECT_EQ(form().EdiKopfzeile->text(), QStringLiteral("Betrifft: Größe"));
    EXPECT_EQ(form().files().currentFileName, path);
    EXPECT_EQ(form().LabShowDatName->text(), path.right(91));
    EXPECT_EQ(memo().textCursor().position(), caret);
    EXPECT_EQ(form().EdiTime->text(), "");  // no typing test ran: the field is as after every start ("600" came)
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(readFile(path), QByteArray("Anfang\r\n"));
}

// Started with the file whose unsaved text a copy held, the copy brought
// back was followed by opening that file, whose save question's NEIN threw
// the text just brought back away.
TEST_F(RecoveryTest, RegressionCopyOfTheFileNamedAtStartWasFollowedByTheSaveQuestion) {
    const QString path = openAndTypeIntoBrief();
    keeper().writeNowAndWait();

    windows = WindowSet{};
    windows = createWindowSet(platform);
    answers.answerNext(Reply::Ja);
    answers.answerNext(Reply::Nein);  // for a save question, should one come
    startUp(windows, {QStringLiteral("brief.txt")});
    QApplication::processEvents();
    EXPECT_EQ(answers.questions().size(), 1) << answers.questions().join(u'|').toStdString();
    EXPECT_EQ(answers.dropUnanswered(), 1);
    EXPECT_EQ(memo().text(), "Anfang\r\nGruesse");
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(readFile(path), QByteArray("Anfang\r\n"));
}

// Brought back after a crash, the text was saved over what another program
// had written to its file since, without the question a save asks before
// the crash: the copy did not know the file's state.
TEST_F(RecoveryTest, RegressionRestoredTextWasSavedOverChangesMadeToItsFileSinceTheCrash) {
    const QString path = openAndTypeIntoBrief();
    keeper().writeNowAndWait();
    restart(Reply::Ja);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);  // nobody changed the file: no question
    EXPECT_EQ(answers.questions().size(), 1);
    EXPECT_EQ(readFile(path), QByteArray("Anfang\r\nGruesse"));

    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("!"));  // into the text window, whichever window is active
    keeper().writeNowAndWait();
    writeFile(path, "von anderswo\r\n");
    restart(Reply::Ja);
    answers.answerNext(Reply::Nein);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    ASSERT_EQ(answers.questions().size(), 3);
    EXPECT_TRUE(answers.questions()[2].startsWith(QStringLiteral("Die Datei brief.txt wurde inzwischen")));
    EXPECT_EQ(readFile(path), QByteArray("von anderswo\r\n"));
    EXPECT_EQ(memo().text(), "Anfang\r\nGruesse!");
}

// A document whose file has a line break in its name (Linux allows it): its
// copy was taken for a damaged one and not brought back, and the name broke
// the display's line of the file name.
TEST_F(RecoveryTest, RegressionFileNameWithALineBreakLostTheCopyAndBrokeTheNameLine) {
    const QString path = pathInWorkingDir(QStringLiteral("zwei\nZeilen.txt"));
    writeFile(path, "Anfang\r\n");
    platform.openAnswers.push_back(path);
    click(form().SpButOeffnen);
    type(QStringLiteral("Neu"));
    keeper().writeNowAndWait();
    restart(Reply::Ja);
    ASSERT_EQ(answers.questions().size(), 1);
    EXPECT_TRUE(answers.questions()[0].contains(QStringLiteral("zwei\u21B5Zeilen.txt, gesichert am")));
    EXPECT_EQ(memo().text(), "NeuAnfang\r\n");
    EXPECT_EQ(form().files().currentFileName, path);
    EXPECT_TRUE(form().LabShowDatName->text().endsWith(QStringLiteral("zwei\u21B5Zeilen.txt")));
}

// A copy taken while a converted text was still coming in held only the part in so far.
TEST_F(RecoveryTest, RegressionCopyDuringLoadHeldOnlyThePartLoaded) {
    std::string text;
    for (int i = 0; i < 30'000; ++i) text += "Zeile " + std::to_string(i) + "\r\n";
    memo().loadBytes(text);
    memo().finishLoading();
    form().ButReplaceAllClick();  // the converted text comes in piece by piece, unsaved
    ASSERT_TRUE(memo().isLoading());
    keeper().writeNowAndWait();
    const auto copy = recovery::parseRecovery(readFile(keeper().copyPath()).toStdString());
    ASSERT_TRUE(copy);
    memo().finishLoading();
    EXPECT_EQ(copy->text, memo().text());

    // Brought back, the caret finds its place beyond the copy's first piece too.
    memo().moveCursor(QTextCursor::End);
    keeper().writeNowAndWait();
    const int caret = memo().textCursor().position();
    restart(Reply::Ja);
    EXPECT_EQ(memo().textCursor().position(), caret);
}

TEST_F(RecoveryTest, NeinPutsTheCopyAsideUnderADatedNameAndStartsEmpty) {
    type(QStringLiteral("Entwurf"));
    keeper().writeNowAndWait();
    const QByteArray copy = readFile(inCopiesFolder(kFirstCopy));
    ASSERT_FALSE(copy.isEmpty());

    restart(Reply::Nein);
    ASSERT_EQ(answers.questions().size(), 1);
    const QString when = QDateTime::fromSecsSinceEpoch(recovery::parseRecovery(copy.toStdString())->writtenAt)
                             .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    EXPECT_EQ(answers.questions()[0],
              QStringLiteral("Ungespeicherten Text wiederherstellen?\nunbenannt, gesichert am ") + when);
    EXPECT_TRUE(memo().isDocumentEmpty());
    EXPECT_TRUE(form().isSaved());
    const QStringList files = filesIn(copiesFolder());
    ASSERT_EQ(files.size(), 1) << files.join(u' ').toStdString();
    EXPECT_TRUE(files[0].startsWith(QStringLiteral("Korvex23Wiederherstellung vom "))) << files[0].toStdString();
    EXPECT_EQ(readFile(inCopiesFolder(files[0])), copy);

    restart(std::nullopt);  // a copy put aside is not asked about again
    EXPECT_EQ(answers.questions().size(), 1);
}

// A copy an earlier version kept beside the settings file, in the first
// shape (without the file's state), moves into the user's data folder; once
// restored, "Speichern" asked nothing before it wrote over what the file had
// come to hold.
TEST_F(RecoveryTest, RegressionCopyWithoutTheFilesStateWasSavedOverTheFileUnasked) {
    const QString path = pathInWorkingDir(QStringLiteral("brief.txt"));
    writeFile(path, "geschrieben nach der Kopie");
    recovery::RecoveryRecord record;
    record.text = "aus der Kopie";
    record.fileName = path.toStdString();
    record.writtenAt = 1'765'000'000;
    std::string firstShape = recovery::composeRecovery(record);
    firstShape.replace(0, firstShape.find("\r\n"), "KORVEX-WIEDERHERSTELLUNG 1");
    writeFile(pathInWorkingDir(kFirstCopy), QByteArray::fromStdString(firstShape));

    restart(Reply::Ja);
    EXPECT_EQ(memo().text(), "aus der Kopie");
    EXPECT_EQ(filesIn(workingDir.path()), QStringList{QStringLiteral("brief.txt")});
    answers.answerNext(Reply::Nein);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    ASSERT_EQ(answers.questions().size(), 2);
    EXPECT_TRUE(answers.questions()[1].startsWith(QStringLiteral("Die Datei brief.txt wurde inzwischen")));
    EXPECT_EQ(readFile(path), QByteArray("geschrieben nach der Kopie"));
}

// A copy with a NUL in its text came back cut at the NUL without a word.
TEST_F(RecoveryTest, RegressionCopyWithANulCameBackCutWithoutAWord) {
    recovery::RecoveryRecord record;
    record.text = std::string("vorher\0nachher", 14);
    record.writtenAt = 1'765'000'000;
    const QByteArray bytes = QByteArray::fromStdString(recovery::composeRecovery(record));
    ASSERT_TRUE(QDir().mkpath(copiesFolder()));
    writeFile(inCopiesFolder(kFirstCopy), bytes);

    restart(Reply::Ja);
    EXPECT_EQ(memo().text(), "vorher");
    ASSERT_EQ(platform.messages.size(), 1);
    const QString start = QStringLiteral("Die Sicherungskopie ") + inCopiesFolder(kFirstCopy) +
                          QStringLiteral(
                              " enthält ein NUL-Byte. Der Text nach dem NUL-Byte wurde nicht "
                              "wiederhergestellt; die Kopie bleibt als ");
    ASSERT_TRUE(platform.messages[0].startsWith(start)) << platform.messages[0].toStdString();
    const QString aside = platform.messages[0].mid(start.size()).chopped(QStringLiteral(" erhalten.").size());
    EXPECT_EQ(readFile(aside), bytes);  // the text after the NUL is not lost
}

// Where no copy can be kept (no data folder to be had, a full disk), the
// typing went on without one and nobody knew: the user is told, once.
TEST_F(RecoveryTest, RegressionNoCopyCouldBeKeptAndNothingSaidSo) {
    writeFile(pathInWorkingDir(QStringLiteral("datei")), "kein Ordner");
    platform.userDataDirectory = pathInWorkingDir(QStringLiteral("datei/korvex"));
    restart(std::nullopt);
    type(QStringLiteral("ungesichert"));
    keeper().writeNowAndWait();
    type(QStringLiteral(" und weiter"));
    keeper().writeNowAndWait();
    QApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].startsWith(
        QStringLiteral("Korvex kann keine Sicherungskopie des ungespeicherten Textes anlegen: Im Ordner ")))
        << platform.messages[0].toStdString();
    EXPECT_EQ(filesIn(workingDir.path()), QStringList{QStringLiteral("datei")});
}

// remove it; a close he cancels keeps it.
TEST_F(RecoveryTest, CopyGoesWithASaveAndAConfirmedCloseOnly) {
    enum class Act { SaveAs, CloseNein, CloseAbbrechen };
    struct Case {
        const char* name;
        Act act;
        bool copyStays;
    };
    const Case cases[] = {
        {"Speichern unter", Act::SaveAs, false},
        {"Schließen mit NEIN", Act::CloseNein, false},
        {"Schließen mit ABBRECHEN", Act::CloseAbbrechen, true},
    };
    for (const Case& c : cases) {
        restart(std::nullopt);
        type(QStringLiteral("Text"));
        keeper().writeNowAndWait();
        const QString copy = keeper().copyPath();
        ASSERT_TRUE(QFileInfo::exists(copy)) << c.name;
        switch (c.act) {
            case Act::SaveAs:
                platform.saveAnswers.push_back(pathInWorkingDir(QStringLiteral("neu.txt")));
                click(form().SpButSpUnter);
                break;
            case Act::CloseNein: answers.answerNext(Reply::Nein); break;
            case Act::CloseAbbrechen: answers.answerNext(Reply::Abbrechen); break;
        }
        if (c.act != Act::SaveAs) form().close();
        QApplication::processEvents();
        EXPECT_EQ(QFileInfo::exists(copy), c.copyStays) << c.name;
        QFile::remove(copy);
    }
}

TEST_F(RecoveryTest, TwoInstancesInOneFolderKeepTheirOwnCopies) {
    type(QStringLiteral("erste"));
    keeper().writeNowAndWait();
    WindowSet second = createWindowSet(platform);
    startUp(second, {});  // the first one lives: its copy is no orphan
    second.Form1->MemArbeitsfenster->setFocus();
    QTest::keyClicks(second.Form1->MemArbeitsfenster, QStringLiteral("zweite"));
    second.Recovery->keeper().writeNowAndWait();
    keeper().writeNowAndWait();

    const QString firstCopy = keeper().copyPath();
    const QString secondCopy = second.Recovery->keeper().copyPath();
    ASSERT_NE(firstCopy, secondCopy);
    EXPECT_EQ(recovery::parseRecovery(readFile(firstCopy).toStdString())->text, "erste");
    EXPECT_EQ(recovery::parseRecovery(readFile(secondCopy).toStdString())->text, "zweite");
    EXPECT_TRUE(answers.questions().isEmpty());

    second = WindowSet{};  // the second one dies; the next start offers its copy
    WindowSet third = createWindowSet(platform);
    QuestionAnswerer thirdAnswers([&third] { return third.KxMsgDlg; });
    thirdAnswers.answerNext(Reply::Ja);
    startUp(third, {});
    EXPECT_EQ(thirdAnswers.questions().size(), 1);
    EXPECT_EQ(third.Form1->MemArbeitsfenster->text(), "zweite");
    EXPECT_EQ(recovery::parseRecovery(readFile(firstCopy).toStdString())->text, "erste");
}

// A copy that cannot be restored is put aside with a message; the program
// starts as it would without one.
TEST_F(RecoveryTest, DamagedCopiesGiveAMessageAndANormalStart) {
    type(QStringLiteral("gut"));
    keeper().writeNowAndWait();
    const QByteArray good = readFile(keeper().copyPath());
    windows = WindowSet{};
    const QString copy = inCopiesFolder(kFirstCopy);
    QFile::remove(copy);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"abgeschnitten", [&] { writeFile(copy, good.left(good.size() - 3)); }},
        {"binär",
         [&] {
             writeFile(copy, QByteArray("\x7f"
                                        "ELF\0\1\2\xff\xfe",
                                        9)
                                 .repeated(1000));
         }},
        {"leer", [&] { writeFile(copy, QByteArray()); }},
        {"1 GiB",
         [&] {
             QFile file(copy);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             ASSERT_TRUE(file.resize(qint64{1} << 30));  // sparse: takes no disk
         }},
        {"Ordner", [&] { ASSERT_TRUE(QDir(copiesFolder()).mkdir(kFirstCopy)); }},
        {"Verweis",
         [&] {
             writeFile(pathInWorkingDir(QStringLiteral("ziel")), good);
             ASSERT_TRUE(QFile::link(pathInWorkingDir(QStringLiteral("ziel")), copy));
         }},
    };
    for (const auto& [name, make] : cases) {
        platform.messages.clear();
        make();
        restart(std::nullopt);
        EXPECT_TRUE(memo().isDocumentEmpty()) << name;
        ASSERT_EQ(platform.messages.size(), 1) << name;
        EXPECT_TRUE(platform.messages[0].startsWith(QStringLiteral("Die Sicherungskopie ") + copy +
                                                    QStringLiteral(" ist beschädigt und wird nicht wiederhergestellt. "
                                                                   "Sie bleibt als ")))
            << name << ": " << platform.messages[0].toStdString();
        EXPECT_FALSE(QFileInfo::exists(copy) || QFileInfo(copy).isSymLink()) << name;
        type(QStringLiteral("weiter"));  // and the program works as usual
        keeper().writeNowAndWait();
        const QString ownCopy = keeper().copyPath();
        EXPECT_EQ(recovery::parseRecovery(readFile(ownCopy).toStdString())->text, "weiter") << name;
        windows = WindowSet{};
        QFile::remove(ownCopy);
    }
}

// "datei1.txt" to "dateiN.txt".
QStringList numbered(int count) {
    QStringList names;
    for (int i = 1; i <= count; ++i) names << QStringLiteral("datei%1.txt").arg(i);
    return names;
}

// Files named on the command line open as with "Öffnen", relative names
// from the working directory, the first of several; at most ten others are named.
TEST_F(RecoveryTest, FilesFromTheCommandLineOpenAsOeffnenWould) {
    writeFile(pathInWorkingDir(QStringLiteral("eins.txt")), "Kopf\r\n#kopf#\r\nText eins");
    const QString eins = QDir::toNativeSeparators(pathInWorkingDir(QStringLiteral("eins.txt")));
    const QString fehlt = QDir::toNativeSeparators(pathInWorkingDir(QStringLiteral("fehlt.txt")));
    struct Case {
        QStringList files;
        std::string text;
        QString fileName;
        QStringList messages;
        QStringList errors;
    };
    const Case cases[] = {
        {{}, "", QString(), {}, {}},
        {{QStringLiteral("eins.txt")}, "Text eins", eins, {}, {}},
        {{eins}, "Text eins", eins, {}, {}},
        {{QStringLiteral("fehlt.txt")},
         "",
         QString(),
         {},
         {QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(fehlt)}},
        {{QStringLiteral("eins.txt"), QStringLiteral("zwei.txt"), QStringLiteral("/tmp/drei.txt")},
         "Text eins",
         eins,
         {QStringLiteral("Korvex öffnet nur eine Datei auf einmal. Nicht geöffnet:\nzwei.txt\n/tmp/drei.txt")},
         {}},
        // Hundreds of names made a message taller than the screen, its OK out of reach.
        {QStringList{QStringLiteral("eins.txt")} + numbered(300),
         "Text eins",
         eins,
         {QStringLiteral("Korvex öffnet nur eine Datei auf einmal. Nicht geöffnet:\n") + numbered(10).join(u'\n') +
          QStringLiteral("\nund 290 weitere Dateien")},
         {}},
        {QStringList{QStringLiteral("eins.txt")} + numbered(11),
         "Text eins",
         eins,
         {QStringLiteral("Korvex öffnet nur eine Datei auf einmal. Nicht geöffnet:\n") + numbered(10).join(u'\n') +
          QStringLiteral("\nund 1 weitere Datei")},
         {}},
    };
    for (const Case& c : cases) {
        platform.messages.clear();
        platform.errorReports.clear();
        restart(std::nullopt, c.files);
        const std::string label = c.files.join(u' ').toStdString();
        EXPECT_EQ(memo().text(), c.text) << label;
        EXPECT_EQ(form().files().currentFileName, c.fileName) << label;
        EXPECT_EQ(form().EdiKopfzeile->text(), c.text.empty() ? QString() : QStringLiteral("Kopf")) << label;
        EXPECT_EQ(platform.messages, c.messages) << label;
        EXPECT_EQ(platform.errorReports, c.errors) << label;
        EXPECT_TRUE(form().isSaved()) << label;
    }
}

// A file dropped from a file manager opens through "Öffnen"'s way, after the
// save question; dropped text is still inserted.
TEST_F(RecoveryTest, DroppedFileOpensAfterTheSaveQuestionAndDroppedTextIsInserted) {
    const QString path = pathInWorkingDir(QStringLiteral("gezogen.txt"));
    writeFile(path, "aus der Datei");
    type(QStringLiteral("ungespeichert"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(path)});
    files.setText(path);  // file managers send the path as text too
    answers.answerNext(Reply::Abbrechen);
    dropOnTextWindow(files);
    EXPECT_EQ(memo().text(), "ungespeichert");
    answers.answerNext(Reply::Nein);
    dropOnTextWindow(files);
    EXPECT_EQ(answers.questions(), QStringList(2, QStringLiteral("Aktuelle Textdatei speichern?")));
    EXPECT_EQ(memo().text(), "aus der Datei");
    EXPECT_EQ(form().files().currentFileName, QDir::toNativeSeparators(path));
    EXPECT_TRUE(form().isSaved());

    QMimeData text;
    text.setText(QStringLiteral("eingefügt "));
    memo().moveCursor(QTextCursor::Start);
    dropOnTextWindow(text);
    EXPECT_NE(memo().text().find("eingef\xFCgt "), std::string::npos) << memo().text();
    EXPECT_EQ(form().files().currentFileName, QDir::toNativeSeparators(path));
}

}  // namespace
}  // namespace korvex::testing
