// Saving respects the file it replaces: where it really lives, its links,
// owner and mode, the rights of its folder, and the user's files beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "base/kxerror.h"
#include "fault/helper/writerprocess.h"
#include "platform/qtplatform.h"

namespace korvex::testing {
namespace {

struct stat statOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
}

void createFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0);
}

void createLink(const QString& target, const QString& link) {
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

QString linkTarget(const QString& link) { return QFile::symLinkTarget(link); }

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class SaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // Writers running as another user must reach the folders below.
        ASSERT_EQ(chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    }
    QString folderFor(const QString& name) {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    static QString cannotCreate(const QString& path) {
        return QStringLiteral("Datei ") + QDir::toNativeSeparators(path) +
               QStringLiteral(" kann nicht erstellt werden");
    }

    QTemporaryDir folder;
    QtPlatform platform;
};

// Each case prepares its folder, in which "brief.txt" is then saved as "neu".
TEST_F(SaveTargetTest, SaveKeepsLinksOwnerAndModeOfTheFileItReplaces) {
    const bool root = geteuid() == 0;
    const mode_t mask = umask(022);
    umask(mask);
    const struct Case {
        const char* what;
        std::function<void(const QString& dir)> prepare;
        std::function<void(const QString& dir)> check;
        QStringList created;  // the names the save adds to the folder
    } cases[] = {
        {"Verknüpfung auf eine Verknüpfung in einen anderen Ordner",
         [](const QString& dir) {
             ASSERT_TRUE(QDir().mkdir(dir + "/echt"));
             createFile(dir + "/echt/Original.txt", "alt", 0640);
             createLink("echt/Original.txt", dir + "/zwischen.txt");
             createLink("zwischen.txt", dir + "/brief.txt");
         },
         [](const QString& dir) {
             EXPECT_EQ(linkTarget(dir + "/brief.txt"), dir + "/zwischen.txt");
             EXPECT_EQ(linkTarget(dir + "/zwischen.txt"), dir + "/echt/Original.txt");
             EXPECT_EQ(contentsOf(dir + "/echt/Original.txt"), "neu");
             EXPECT_EQ(statOf(dir + "/echt/Original.txt").st_mode & 07777, 0640u);
             EXPECT_EQ(entriesOf(dir + "/echt"), QStringList{"Original.txt"});
         }},
        {"Verknüpfung auf eine Datei, die es noch nicht gibt",
         [](const QString& dir) { createLink("kommt.txt", dir + "/brief.txt"); },
         [](const QString& dir) {
             EXPECT_EQ(linkTarget(dir + "/brief.txt"), dir + "/kommt.txt");
             EXPECT_EQ(contentsOf(dir + "/kommt.txt"), "neu");
         },
         {"kommt.txt"}},
        {"harte Verknüpfung",
         [](const QString& dir) {
             createFile(dir + "/brief.txt", "alt", 0644);
             ASSERT_EQ(link(QFile::encodeName(dir + "/brief.txt").constData(),
                            QFile::encodeName(dir + "/zweiter Name.txt").constData()),
                       0);
         },
         [](const QString& dir) {
             EXPECT_EQ(contentsOf(dir + "/zweiter Name.txt"), "neu");
             EXPECT_EQ(statOf(dir + "/brief.txt").st_ino, statOf(dir + "/zweiter Name.txt").st_ino);
             EXPECT_EQ(statOf(dir + "/brief.txt").st_nlink, 2u);
         }},
        {"privater Modus 0600", [](const QString& dir) { createFile(dir + "/brief.txt", "alt", 0600); },
         [](const QString& dir) { EXPECT_EQ(statOf(dir + "/brief.txt").st_mode & 07777, 0600u); }},
        {"neue Datei",
         [](const QString&) {},
         [mask](const QString& dir) { EXPECT_EQ(statOf(dir + "/brief.txt").st_mode & 07777, 0666u & ~mask); },
         {"brief.txt"}},
        {"Datei eines anderen Benutzers, als root gespeichert",
         [root](const QString& dir) {
             createFile(dir + "/brief.txt", "alt", 0640);
             if (root) ASSERT_EQ(chown(QFile::encodeName(dir + "/brief.txt").constData(), kUnprivilegedUser, 100), 0);
         },
         [root](const QString& dir) {
             const struct stat info = statOf(dir + "/brief.txt");
             EXPECT_EQ(info.st_uid, root ? kUnprivilegedUser : geteuid());
             EXPECT_EQ(info.st_gid, root ? 100u : getegid());
             EXPECT_EQ(info.st_mode & 07777, 0640u);
         }},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString dir = folderFor(QString::number(++number));
        c.prepare(dir);
        QStringList expected = entriesOf(dir) + c.created;
        expected.sort();
        platform.writeWholeFile(dir + "/brief.txt", "neu");
        EXPECT_EQ(contentsOf(dir + "/brief.txt"), "neu");
        c.check(dir);
        EXPECT_EQ(entriesOf(dir), expected);
    }
}

TEST_F(SaveTargetTest, ReadOnlyFileIsNotReplaced) {
    const QString path = folderFor("ordner") + "/brief.txt";
    createFile(path, "alt", 0444);
    try {
        platform.writeWholeFile(path, "neu");
        ADD_FAILURE() << "überschrieben";
    } catch (const KxError& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), cannotCreate(path));
    }
    EXPECT_EQ(contentsOf(path), "alt");
    EXPECT_EQ(statOf(path).st_mode & 07777, 0444u);
    EXPECT_EQ(entriesOf(folder.filePath("ordner")), QStringList{"brief.txt"});
}

// The user may write the file but not its folder; root is such a user only
// when it gives up its rights, so a writer process runs as "nobody" then.
TEST_F(SaveTargetTest, WritableFileInAFolderThatMayNotBeWrittenIsSavedInPlace) {
    const QString dir = folderFor("nur lesen");
    const QString path = dir + "/brief.txt";
    createFile(path, "alt", 0644);
    std::optional<uid_t> writer;
    if (geteuid() == 0) {
        writer = kUnprivilegedUser;
        ASSERT_EQ(chown(QFile::encodeName(path).constData(), kUnprivilegedUser, kUnprivilegedUser), 0);
    }
    ASSERT_EQ(chmod(QFile::encodeName(dir).constData(), 0555), 0);
    const ino_t inode = statOf(path).st_ino;

    EXPECT_EQ(waitFor(startWriter(path, 1, 1000, writer)), 0);
    EXPECT_EQ(contentsOf(path), QByteArray(1000, 'A'));
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(entriesOf(dir), QStringList{"brief.txt"});
    // The copy written before overwriting is gone again.
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({".brief.txt.kx*"}, QDir::Files | QDir::Hidden), QStringList{});
    ASSERT_EQ(chmod(QFile::encodeName(dir).constData(), 0755), 0);
}

// Links planted at the temporary names Korvex used and at names like its
// own, and a user's files that look like temporary files, stay as they are
// through saves that replace the file and saves in place (hard link).
TEST_F(SaveTargetTest, TemporaryFilesNeverTouchAUsersFilesOrFollowLinks) {
    const QString dir = folderFor("ordner");
    const QString path = dir + "/brief.txt";
    createFile(path, "alt", 0600);
    createFile(dir + "/fremd.txt", "unberührt", 0644);
    const QStringList planted = {"brief.txt.kxtmp", ".brief.txt.kxABCDEF", ".brief.txt.kxkopieABCDEF"};
    for (const QString& name : planted) createLink("fremd.txt", dir + "/" + name);
    createFile(dir + "/.brief.txt.kxGHIJKL", "Notiz des Benutzers", 0600);
    createFile(dir + "/notiz.txt.kxtmp", "Notiz des Benutzers", 0644);
    const QStringList before = entriesOf(dir);

    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "an Ort und Stelle" : "ersetzt");
        if (hardLinked) {
            ASSERT_EQ(
                link(QFile::encodeName(path).constData(), QFile::encodeName(folder.filePath("zweit")).constData()), 0);
        }
        for (const QByteArray& version : {QByteArray("neu"), QByteArray("neuer")}) {
            platform.writeWholeFile(path, version);
            EXPECT_EQ(contentsOf(path), version);
        }
        EXPECT_EQ(contentsOf(dir + "/fremd.txt"), "unberührt");
        for (const QString& name : planted) EXPECT_EQ(linkTarget(dir + "/" + name), dir + "/fremd.txt");
        EXPECT_EQ(contentsOf(dir + "/.brief.txt.kxGHIJKL"), "Notiz des Benutzers");
        EXPECT_EQ(contentsOf(dir + "/notiz.txt.kxtmp"), "Notiz des Benutzers");
        EXPECT_EQ(entriesOf(dir), before);
    }
}

}  // namespace
}  // namespace korvex::testing
