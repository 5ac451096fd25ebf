// Two users in one shared folder (like /tmp): the files Korvex keeps for
// itself never reach the other user, and the other user's never reach this
// one. Root plays both: the user, and "nobody" as the other one, whose links
// and files root makes; without root's rights these are skipped.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "app/uKorvex21.h"
#include "dialogs/uPhrasen.h"
#include "recovery/recoveryfile.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class OtherUserTest : public MainWindowTest {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "zwei Benutzer brauchen root-Rechte";
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        other = nobody->pw_uid;
        otherGroup = nobody->pw_gid;
        // Shared like /tmp: everybody may add files, only their owners remove them.
        ASSERT_EQ(chmod(QFile::encodeName(workingDir.path()).constData(), 01777), 0);
        MainWindowTest::SetUp();
    }
    // What the other user does: `at` becomes a link of his to `target`.
    void plantLink(const QString& at, const QString& target) {
        QFile::remove(at);
        const QByteArray link = QFile::encodeName(at);
        ASSERT_EQ(symlink(QFile::encodeName(target).constData(), link.constData()), 0);
        ASSERT_EQ(lchown(link.constData(), other, otherGroup), 0);
    }
    void giveToOtherUser(const QString& path) {
        ASSERT_EQ(chown(QFile::encodeName(path).constData(), other, otherGroup), 0);
    }
    void typeText(const QString& text) {
        memo().setFocus();
        QTest::keyClicks(&memo(), text);
    }

    uid_t other = 0;
    gid_t otherGroup = 0;
};

const QString kRefusedLink = QStringLiteral(
    " wird nicht geschrieben: Sie führt über eine symbolische Verknüpfung, die einem anderen Benutzer "
    "gehört");

// The settings, the phrases and the recovery copy were written through a
// link the other user planted after their first write: into any file of the
// user's, or into one of the other user's that he could then read.
TEST_F(OtherUserTest, RegressionOwnFilesWereWrittenThroughALinkPlantedBetweenTwoWrites) {
    const QString victim = pathInWorkingDir(QStringLiteral("bericht.txt"));
    writeFile(victim, "Bericht");
    const QString settings = pathInWorkingDir(QStringLiteral("Korvex23Ini.txt"));
    const QString phrases = pathInWorkingDir(QStringLiteral("KorvexPhrasen.txt"));

    form().close();  // the first writes
    ASSERT_TRUE(QFileInfo(settings).isFile());
    windows.Form3->PhrasesModified = true;
    windows.Form3->saveUnsavedPhrases();
    ASSERT_TRUE(QFileInfo(phrases).isFile());
    startProgram();
    plantLink(settings, victim);
    plantLink(phrases, victim);
    windows.Form3->PhrasesModified = true;
    EXPECT_FALSE(form().close());
    EXPECT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(
        platform.errorReports.value(0).startsWith(QStringLiteral("Datei ") + settings + kRefusedLink + ".\nDatei " +
                                                  phrases + kRefusedLink + ".\nKorvex bleibt geöffnet."))
        << platform.errorReports.value(0).toStdString();

    // The copy's place stays this instance's after its copy went with the emptied text.
    typeText(QStringLiteral("geheim"));
    windows.Recovery->keeper().writeNowAndWait();
    const QString copy = windows.Recovery->keeper().copyPath();
    memo().selectAll();
    QTest::keyClick(&memo(), Qt::Key_Delete);
    windows.Recovery->keeper().writeNowAndWait();
    ASSERT_FALSE(QFileInfo::exists(copy));
    plantLink(copy, victim);
    typeText(QStringLiteral("noch geheimer"));
    windows.Recovery->keeper().writeNowAndWait();
    typeText(QStringLiteral("!"));
    windows.Recovery->keeper().writeNowAndWait();
    EXPECT_TRUE(waitUntil([&] { return !platform.messages.isEmpty(); }));
    QApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 1);  // once
    EXPECT_EQ(platform.messages[0],
              QStringLiteral("Korvex kann keine Sicherungskopie des ungespeicherten Textes anlegen: Datei ") + copy +
                  kRefusedLink +
                  QStringLiteral(".\nEndet Korvex unerwartet, geht der ungespeicherte Text verloren. "
                                 "Bitte speichern Sie ihn."));

    EXPECT_EQ(readFile(victim), QByteArray("Bericht"));
    EXPECT_TRUE(QFileInfo(settings).isSymLink() && QFileInfo(phrases).isSymLink() && QFileInfo(copy).isSymLink());
}

// A settings file the other user put there (writable for all) took the
// user's settings.
TEST_F(OtherUserTest, RegressionSettingsWentIntoAFileOfTheOtherUser) {
    const QString settings = pathInWorkingDir(QStringLiteral("Korvex23Ini.txt"));
    writeFile(settings, "seine");
    giveToOtherUser(settings);
    QFile::setPermissions(settings, QFileDevice::Permissions(0x6666));
    EXPECT_FALSE(form().close());
    EXPECT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(platform.errorReports.value(0).startsWith(
        QStringLiteral("Datei ") + settings +
        QStringLiteral(" wird nicht geschrieben: Sie gehört einem anderen Benutzer.\nKorvex bleibt geöffnet.")))
        << platform.errorReports.value(0).toStdString();
    EXPECT_EQ(readFile(settings), QByteArray("seine"));
    EXPECT_TRUE(form().close());  // closing again ends Korvex without the settings
}

// A copy the other user wrote (readable for all) that names the user's file
// was offered; JA and "Speichern" put the other user's text into the file.
TEST_F(OtherUserTest, RegressionCopyOfTheOtherUserWasOfferedAndSavedOverTheUsersFile) {
    const QString own = pathInWorkingDir(QStringLiteral("bericht.txt"));
    writeFile(own, "mein Bericht");
    recovery::RecoveryRecord planted;
    planted.text = "seiner";
    planted.fileName = own.toStdString();
    planted.writtenAt = 1'765'000'000;
    const QString copy = pathInWorkingDir(QStringLiteral("Korvex23Wiederherstellung-1.txt"));
    writeFile(copy, QByteArray::fromStdString(recovery::composeRecovery(planted)));
    giveToOtherUser(copy);

    answers.answerNext(Reply::Ja);  // for a question, should one come
    startProgram();
    startUp(windows, {});
    QApplication::processEvents();
    EXPECT_TRUE(answers.questions().isEmpty()) << answers.questions().join(u'|').toStdString();
    EXPECT_EQ(answers.dropUnanswered(), 1);
    EXPECT_TRUE(memo().isDocumentEmpty());
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
    EXPECT_EQ(readFile(own), QByteArray("mein Bericht"));
    // His copy is his: left where it is, as it is.
    EXPECT_EQ(QFileInfo(copy).ownerId(), other);
    EXPECT_EQ(readFile(copy), QByteArray::fromStdString(recovery::composeRecovery(planted)));
}

}  // namespace
}  // namespace korvex::testing
