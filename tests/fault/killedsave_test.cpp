// A program killed in the middle of saving, and two saving at once: helper
// processes write a large file again and again through the platform's file
// writing and are killed at random moments. The file then holds one version
// whole, never a mix; nothing left behind may be read by others when the
// file may not; after the next save no temporary file is left in the folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "fault/helper/writerprocess.h"
#include "platform/qtplatform.h"

namespace korvex::testing {
namespace {

constexpr qsizetype kBytes = 2 * 1024 * 1024;
constexpr int kKillPoints = 50;

// Which whole version the file holds: "alt", "A", "B", or "Mischung".
std::string versionOf(const QByteArray& bytes) {
    if (bytes == "alter Inhalt") return "alt";
    if (bytes == QByteArray(kBytes, 'A')) return "A";
    if (bytes == QByteArray(kBytes + 1, 'B')) return "B";
    return "Mischung";
}

// The longest name a file may have (255 bytes), its 240th byte inside an umlaut.
std::string longestName() {
    std::string name = "x";
    for (int i = 0; i < 125; ++i) name += "Ä";
    return name + ".txt";
}

class KilledSaveTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        name = QString::fromStdString(GetParam());
        path = folder.filePath(name);
    }

    // Kills a writer at kKillPoints random moments, spread over the start of
    // the helper and its first writes, and checks the file after each.
    void killWritersAtRandom() {
        platform.writeWholeFile(path, "alter Inhalt");
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(waitFor(startWriter(path, 4, kBytes)), 0);
        const long long span = timer.nsecsElapsed() / 1000;
        platform.writeWholeFile(path, "alter Inhalt");

        std::mt19937 random(20240607u);
        std::uniform_int_distribution<long long> moment(0, span);
        int changed = 0;
        for (int point = 0; point < kKillPoints; ++point) {
            const pid_t writer = startWriter(path, 0, kBytes);
            ASSERT_GT(writer, 0);
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            kill(writer, SIGKILL);
            const int status = waitFor(writer);
            ASSERT_TRUE(WIFSIGNALED(status)) << "Helfer endete selbst: " << status;
            const std::string version = versionOf(platform.readWholeFile(path));
            ASSERT_NE(version, "Mischung") << "nach Abbruch " << point;
            changed += version != "alt";
        }
        RecordProperty("kills_after_a_completed_write", changed);
        std::printf("%d Abbrüche, %d davon nach mindestens einem vollständigen Schreiben\n", kKillPoints, changed);
    }

    QTemporaryDir folder;
    QString name;
    QString path;
    QtPlatform platform;
};

TEST_P(KilledSaveTest, FileHoldsOneWholeVersionAtEveryKillPoint) { killWritersAtRandom(); }

// A killed writer may leave its temporary file; the next save takes it over.
TEST_P(KilledSaveTest, NextSaveLeavesNoTemporaryFile) {
    killWritersAtRandom();
    platform.writeWholeFile(path, "neu");
    EXPECT_EQ(platform.readWholeFile(path), QByteArray("neu"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{name});
}

// Kill points within the very first write, of a private file and of one
// that does not exist yet.
TEST_P(KilledSaveTest, KillBeforeTheFirstWholeWriteLeavesNothingOthersCanRead) {
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(waitFor(startWriter(path, 1, kBytes)), 0);
    const long long span = timer.nsecsElapsed() / 1000;
    std::mt19937 random(20261208u);
    std::uniform_int_distribution<long long> moment(0, span);
    for (const bool existing : {true, false}) {
        SCOPED_TRACE(existing ? "Datei mit Modus 0600" : "neue Datei");
        for (int point = 0; point < kKillPoints / 2; ++point) {
            QFile::remove(path);
            if (existing) {
                platform.writeWholeFile(path, "alter Inhalt");
                ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
            }
            const pid_t writer = startWriter(path, 1, kBytes);
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            kill(writer, SIGKILL);
            waitFor(writer);
            const std::string version = QFile::exists(path) ? versionOf(platform.readWholeFile(path)) : "keine";
            ASSERT_TRUE(version == (existing ? "alt" : "keine") || version == "A") << version << " nach " << point;
            for (const QFileInfo& entry : QDir(folder.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
                if (!existing || entry.fileName() == name) continue;
                struct stat info {};
                ASSERT_EQ(lstat(QFile::encodeName(entry.filePath()).constData(), &info), 0);
                EXPECT_EQ(info.st_mode & 077, 0u) << entry.fileName().toStdString();
            }
        }
    }
}

// Two programs saving one file at once, while a third reads it.
TEST_P(KilledSaveTest, TwoWritersAtOnceLeaveOneWholeVersion) {
    platform.writeWholeFile(path, "alter Inhalt");
    const pid_t writers[2] = {startWriter(path, 40, kBytes), startWriter(path, 40, kBytes)};
    int status[2] = {-1, -1};
    bool running[2] = {true, true};
    int reads = 0;
    while (running[0] || running[1]) {
        for (const int i : {0, 1}) {
            if (running[i] && waitpid(writers[i], &status[i], WNOHANG) == writers[i]) running[i] = false;
        }
        ASSERT_NE(versionOf(platform.readWholeFile(path)), "Mischung") << "Lesen " << reads;
        ++reads;
    }
    RecordProperty("reads", reads);
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{name});
}

std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
    const char* const names[] = {"Dokument", "Einstellungen", "Phrasen", "LaengsterName"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(DocumentSettingsPhrasesAndLongestName, KilledSaveTest,
                         ::testing::Values(std::string("Brief an Ämter.txt"), std::string("Korvex23Ini.txt"),
                                           std::string("KorvexPhrasen.txt"), longestName()),
                         caseName);

}  // namespace
}  // namespace korvex::testing
