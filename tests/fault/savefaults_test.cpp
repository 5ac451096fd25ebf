// Saving and opening on real files when the file system works against the
// program: full, the folder or file changed behind its back, odd file names.
#include <sys/mount.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>
#include <cstring>

#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "recovery/recoverykeeper.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

class SaveFaultTest : public MainWindowTest {
protected:
    void openFile(const QString& path) {
        form().markSaved();
        platform.openAnswers.push_back(path);
        QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    }
    static QString cannotCreate(const QString& path) {
        return QStringLiteral("Datei ") + QDir::toNativeSeparators(path) +
               QStringLiteral(" kann nicht erstellt werden");
    }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // A small file system of its own below the working directory, gone again after the test.
    struct SmallFileSystem {
        QString folder;
        bool mounted = false;
        ~SmallFileSystem() {
            if (mounted) umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        }
    };
    // False when it cannot be mounted (only root may).
    bool mountSmallFileSystem(SmallFileSystem& fs) {
        fs.folder = pathInWorkingDir(QStringLiteral("klein"));
        fs.mounted = QDir().mkpath(fs.folder) &&
                     mount("korvex-fault", QFile::encodeName(fs.folder).constData(), "tmpfs", 0, "size=64k") == 0;
        return fs.mounted;
    }
};

TEST_F(SaveFaultTest, FullFileSystemKeepsTheOldFileWholeAndLeavesNoTemporaryFile) {
    SmallFileSystem fs;
    if (!mountSmallFileSystem(fs)) GTEST_SKIP() << "tmpfs kann nicht eingehängt werden: " << std::strerror(errno);
    const QString& folder = fs.folder;

    const QString path = folder + QStringLiteral("/brief.txt");
    writeFile(path, "Kopf\r\n#kopf#\r\nalter Inhalt");
    openFile(path);
    type(QStringLiteral("y"));
    std::string lines;  // more than the file system takes, in lines the window takes
    for (int i = 0; i < 2048; ++i) lines += std::string(98, 'x') + "\r\n";
    memo().replaceSelection(lines);
    QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);

    EXPECT_EQ(platform.errorReports, QStringList{cannotCreate(path)});
    EXPECT_EQ(readFile(path), QByteArray("Kopf\r\n#kopf#\r\nalter Inhalt"));
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("brief.txt")});
    EXPECT_FALSE(form().isSaved());
    EXPECT_EQ(memo().text().size(), 200u * 1024 + std::string("yalter Inhalt").size());
}

// The first recovery copy was created empty before it was written: a full
// disk (or a kill) in between left an empty copy, which the next start
// reported as damaged. And the copy was given up without a word: the user is
// told, once.
TEST_F(SaveFaultTest, RegressionFirstRecoveryCopyLeftAnEmptyFileWhenItsWriteFailed) {
    SmallFileSystem fs;
    if (!mountSmallFileSystem(fs)) GTEST_SKIP() << "tmpfs kann nicht eingehängt werden: " << std::strerror(errno);
    struct Typing : recovery::Editor {
        bool hasUnsavedText() const override { return true; }
        recovery::Snapshot snapshot() const override { return {QString(100 * 1024, QLatin1Char('x')), {}, {}, 0}; }
        void restore(const recovery::RecoveryRecord&, std::function<void()>) override {}
        bool askYesNo(const QString&) override { return false; }
    } editor;
    platform.userDataDirectory = fs.folder + QStringLiteral("/korvex");
    recovery::RecoveryKeeper keeper(platform, editor, workingDir.path());
    keeper.writeNowAndWait();  // more than the file system holds
    keeper.writeNowAndWait();
    const QString copies = recovery::RecoveryKeeper::copiesFolderFor(platform.userDataDirectory, workingDir.path());
    for (const QString& name : entries(copies))
        EXPECT_TRUE(name.endsWith(QStringLiteral(".lock"))) << name.toStdString();
    EXPECT_TRUE(waitUntil([&] { return !platform.messages.isEmpty(); }));
    QApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].startsWith(
        QStringLiteral("Korvex kann keine Sicherungskopie des ungespeicherten Textes anlegen: Datei ")))
        << platform.messages[0].toStdString();
}

// Read-only as the system says it (root ignores permission bits, not a
// read-only mount) and a file without write permission, which is kept even
// for root.
TEST_F(SaveFaultTest, ReadOnlyFolderOrFileKeepsTheOldFileAndTheText) {
    for (const bool mountedReadOnly : {true, false}) {
        SCOPED_TRACE(mountedReadOnly ? "schreibgeschütztes Dateisystem" : "Datei mit Modus 0444");
        SmallFileSystem fs;
        if (mountedReadOnly && !mountSmallFileSystem(fs)) continue;
        if (!mountedReadOnly) fs.folder = pathInWorkingDir(QStringLiteral("ordner"));
        ASSERT_TRUE(QDir().mkpath(fs.folder));
        const QString path = fs.folder + QStringLiteral("/brief.txt");
        writeFile(path, "alter Inhalt");
        openFile(path);
        if (mountedReadOnly) {
            ASSERT_EQ(mount("korvex-fault", QFile::encodeName(fs.folder).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                            "size=64k"),
                      0)
                << std::strerror(errno);
        } else {
            ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        platform.errorReports.clear();
        type(QStringLiteral("neu "));
        QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);

        EXPECT_EQ(platform.errorReports, QStringList{cannotCreate(path)});
        EXPECT_EQ(readFile(path), QByteArray("alter Inhalt"));
        EXPECT_EQ(entries(fs.folder), QStringList{QStringLiteral("brief.txt")});
        EXPECT_EQ(memo().text(), "neu alter Inhalt");
        EXPECT_FALSE(form().isSaved());
    }
}

TEST_F(SaveFaultTest, ChangesByAnotherProgramBetweenOpenAndSave) {
    struct Change {
        const char* what;
        void (*apply)(const QString& folder, const QString& file);
        bool saved;
    };
    const Change changes[] = {
        {"Dokument gelöscht", [](const QString&, const QString& file) { QFile::remove(file); }, true},
        {"Ordner verschwunden", [](const QString& folder, const QString&) { QDir(folder).removeRecursively(); }, false},
        {"Datei durch Ordner ersetzt",
         [](const QString&, const QString& file) { QFile::remove(file), QDir().mkdir(file); }, false},
    };
    int number = 0;
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        platform.errorReports.clear();
        const QString folder = pathInWorkingDir(QStringLiteral("fall%1").arg(++number));
        const QString path = folder + QStringLiteral("/brief.txt");
        ASSERT_TRUE(QDir().mkpath(folder));
        writeFile(path, "alt");
        openFile(path);
        type(QStringLiteral(" neu"));
        change.apply(folder, path);
        QTest::mouseClick(form().SpButSpeichern, Qt::LeftButton);
        EXPECT_EQ(form().isSaved(), change.saved);
        if (change.saved) {
            EXPECT_TRUE(platform.errorReports.isEmpty());
            EXPECT_EQ(readFile(path), QByteArray(" neualt"));
        } else {
            EXPECT_EQ(platform.errorReports, QStringList{cannotCreate(path)});
            EXPECT_EQ(memo().text(), " neualt");
        }
    }
    // Nothing is lost: the kept text goes elsewhere with Save as.
    const QString elsewhere = pathInWorkingDir(QStringLiteral("gerettet.txt"));
    platform.saveAnswers.push_back(elsewhere);
    QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
    EXPECT_EQ(readFile(elsewhere), QByteArray(" neualt"));
}

// Blanks, umlauts, percent signs that look like placeholders, leading dashes.
TEST_F(SaveFaultTest, OddFileNamesSaveOpenAndShowLiterally) {
    const QString names[] = {QStringLiteral("mit  Leerzeichen .txt"), QStringLiteral("Größe Maß.txt"),
                             QStringLiteral("100% %1 %2 %L1.txt"), QStringLiteral("-n --help.txt"),
                             QStringLiteral("-")};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = pathInWorkingDir(name);
        form().EdiKopfzeile->setText(name);
        memo().loadBytes("Text zu " + name.toStdString());
        platform.saveAnswers.push_back(path);
        QTest::mouseClick(form().SpButSpUnter, Qt::LeftButton);
        ASSERT_TRUE(QFile::exists(path));

        QTest::mouseClick(form().SpButSchliessen, Qt::LeftButton);
        ASSERT_TRUE(memo().text().empty());
        openFile(path);
        EXPECT_EQ(memo().text(), "Text zu " + name.toStdString());
        EXPECT_EQ(form().EdiKopfzeile->text(), name);
        EXPECT_EQ(form().files().currentFileName, path);
    }
    EXPECT_TRUE(platform.errorReports.isEmpty());

    const QString missing = pathInWorkingDir(QStringLiteral("fehlt %1 %2.txt"));
    openFile(missing);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Datei ") + QDir::toNativeSeparators(missing) +
                                                 QStringLiteral(" kann nicht geöffnet werden")});
}

}  // namespace
}  // namespace korvex::testing
