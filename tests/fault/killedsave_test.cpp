// A program killed in the middle of saving: a helper process writes a large
// file again and again through the platform's file writing and is killed at
// random moments. The file then holds one version whole, never a mix, and
// after the next save no temporary file is left in the folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "platform/qtplatform.h"

namespace korvex::testing {
namespace {

constexpr qsizetype kBytes = 2 * 1024 * 1024;
constexpr int kKillPoints = 50;

pid_t startWriter(const QString& path, int count) {
    const QByteArray file = QFile::encodeName(path);
    const std::string countText = std::to_string(count);
    const std::string bytesText = std::to_string(kBytes);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(KORVEX_FAULT_WRITER, KORVEX_FAULT_WRITER, file.constData(), countText.c_str(), bytesText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// Which whole version the file holds: "alt", "A", "B", or "Mischung".
std::string versionOf(const QByteArray& bytes) {
    if (bytes == "alter Inhalt") return "alt";
    if (bytes == QByteArray(kBytes, 'A')) return "A";
    if (bytes == QByteArray(kBytes + 1, 'B')) return "B";
    return "Mischung";
}

class KilledSaveTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        name = QString::fromUtf8(GetParam());
        path = folder.filePath(name);
    }

    // Kills a writer at kKillPoints random moments, spread over the start of
    // the helper and its first writes, and checks the file after each.
    void killWritersAtRandom() {
        platform.writeWholeFile(path, "alter Inhalt");
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(waitFor(startWriter(path, 4)), 0);
        const long long span = timer.nsecsElapsed() / 1000;
        platform.writeWholeFile(path, "alter Inhalt");

        std::mt19937 random(20240607u);
        std::uniform_int_distribution<long long> moment(0, span);
        int changed = 0;
        for (int point = 0; point < kKillPoints; ++point) {
            const pid_t writer = startWriter(path, 0);
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

INSTANTIATE_TEST_SUITE_P(DocumentSettingsAndPhrases, KilledSaveTest,
                         ::testing::Values("Brief an Ämter.txt", "Korvex23Ini.txt", "KorvexPhrasen.txt"));

}  // namespace
}  // namespace korvex::testing
