// The program killed at many moments while and after a user types: once the
// copy of the typing pause is written, the next start restores every key; a
// kill in the middle of typing leaves no copy or one whole copy of a part.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/windowset.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "document/headerfield.h"
#include "recovery/recoveryfile.h"
#include "recovery/recoverykeeper.h"
#include "support/fakeplatform.h"
#include "support/questionanswerer.h"
#include "support/waiting.h"

namespace korvex::testing {
namespace {

using namespace std::chrono_literals;

// The user's data folder of a typist and of the start after it: never the
// user's, whose copies it would offer.
struct DataHome {
    QTemporaryDir home;
    QString korvexFolder() const { return home.filePath(QStringLiteral("korvex")); }
    // Where the copies of a start in `folder` are.
    QString copiesFolder(const QString& folder) const {
        return recovery::RecoveryKeeper::copiesFolderFor(korvexFolder(), QDir(folder).canonicalPath());
    }
};

// A running typist in `folder`, its stdout read line by line.
class Typist {
public:
    Typist(const QString& folder, const char* mode, const DataHome& data) {
        int out[2];
        if (pipe(out) != 0) return;
        const QByteArray dir = QFile::encodeName(folder);
        // Made before the fork: the child may only exec.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data.home.path());
        std::vector<QByteArray> entries;
        for (const QString& entry : environment.toStringList()) entries.push_back(entry.toLocal8Bit());
        std::vector<char*> envp;
        for (QByteArray& entry : entries) envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execle(KORVEX_RECOVERY_TYPIST, KORVEX_RECOVERY_TYPIST, dir.constData(), mode, static_cast<char*>(nullptr),
                   envp.data());
            _exit(127);
        }
        close(out[1]);
        output_ = fdopen(out[0], "r");
    }
    ~Typist() {
        kill9();
        if (output_) fclose(output_);
    }
    // The text and header the window held when the typing ended.
    std::pair<std::string, std::string> waitUntilDone() {
        char line[4096];
        while (output_ && std::fgets(line, sizeof line, output_)) {
            char text[2048] = "";
            char header[512] = "";
            if (std::sscanf(line, "fertig %2047s %511s", text, header) == 2) {
                return {QByteArray::fromHex(text).toStdString(), QByteArray::fromHex(header).toStdString()};
            }
        }
        ADD_FAILURE() << "der Helfer endete, ohne fertig zu werden";
        return {};
    }
    void kill9() { end(SIGKILL); }
    // Sends the signal and waits until the typist has ended by it.
    void end(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "Helfer endete anders: " << status;
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
};

// The copies left in the folder, read as the rules read them.
std::vector<std::optional<recovery::RecoveryRecord>> copiesIn(const QString& folder) {
    std::vector<std::optional<recovery::RecoveryRecord>> copies;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("Korvex23Wiederherstellung-*.txt")})) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly)) continue;
        copies.push_back(recovery::parseRecovery(file.readAll().toStdString()));
    }
    return copies;
}

// Waits until the folder holds one copy, whole, of `text`.
::testing::AssertionResult copyComes(const QString& folder, const std::string& text) {
    if (waitUntil([&] {
            const auto copies = copiesIn(folder);
            return copies.size() == 1 && copies[0] && copies[0]->text == text;
        }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << copiesIn(folder).size() << " copies in " << folder.toStdString()
                                         << ", none whole of the typed text";
}

// The next start in the folder, on the windows of this process, with JA.
struct Restart {
    Restart(const QString& folder, const DataHome& data) {
        platform.workingDirectory = QDir(folder).canonicalPath();
        platform.userDataDirectory = data.korvexFolder();
        windows = createWindowSet(platform);
        answers.answerNext(Reply::Ja);
        startUp(windows, {});
        QApplication::processEvents();
    }
    FakePlatform platform;
    WindowSet windows;
    QuestionAnswerer answers{[this] { return windows.KxMsgDlg; }};
};

// When the copy of the pause comes depends on the machine (README: the
// figures); here it is waited for, and the kills fall after it.
TEST(KilledTyping, AKillOnceTheTypingPausedLosesNothing) {
    constexpr int kKills = 6;
    for (int k = 0; k < kKills; ++k) {
        QTemporaryDir folder;
        DataHome data;
        Typist typist(folder.path(), "tippen", data);
        const auto [text, header] = typist.waitUntilDone();
        ASSERT_FALSE(text.empty());
        const auto lastKey = std::chrono::steady_clock::now();
        ASSERT_TRUE(copyComes(data.copiesFolder(folder.path()), text)) << "Abbruch " << k;
        std::printf("Kopie %lld ms nach der letzten Taste\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - lastKey)
                                               .count()));
        std::this_thread::sleep_for(k * 500ms / kKills);  // the moments spread over half a second
        typist.kill9();
        Restart next(folder.path(), data);
        EXPECT_EQ(next.answers.questions().size(), 1) << "Abbruch " << k;
        EXPECT_EQ(next.windows.Form1->MemArbeitsfenster->text(), text) << "Abbruch " << k;
        EXPECT_EQ(toCp1252(next.windows.Form1->EdiKopfzeile->text()), header) << "Abbruch " << k;
        EXPECT_FALSE(next.windows.Form1->isSaved());
    }
}

// The kills spread over the time an uninterrupted run takes to its first
// copy, so that a slow machine (a sanitizer build, busy cores) kills at the
// same stages of the typing as a fast one; the last kill follows a copy.
TEST(KilledTyping, AKillWhileTypingLeavesNoCopyOrAWholeOne) {
    QTemporaryDir first;
    DataHome firstData;
    const auto started = std::chrono::steady_clock::now();
    Typist whole(first.path(), "tippen", firstData);
    const auto copyThere = [](const DataHome& data, const QString& folder) {
        return [&data, folder] { return !copiesIn(data.copiesFolder(folder)).empty(); };
    };
    ASSERT_TRUE(waitUntil(copyThere(firstData, first.path()))) << "ohne Abbruch keine Kopie";
    const auto untilFirstCopy = std::chrono::steady_clock::now() - started;
    const std::string text = whole.waitUntilDone().first;
    constexpr int kKills = 12;
    int withCopy = 0;
    for (int k = 0; k < kKills; ++k) {
        QTemporaryDir folder;
        DataHome data;
        Typist typist(folder.path(), "tippen", data);
        if (k + 1 < kKills) {
            std::this_thread::sleep_for(untilFirstCopy * (k + 1) * 3 / (2 * kKills));  // up to 1.5 times as long
        } else {
            ASSERT_TRUE(waitUntil(copyThere(data, folder.path()))) << "Abbruch " << k;
        }
        typist.kill9();
        for (const auto& copy : copiesIn(data.copiesFolder(folder.path()))) {
            ASSERT_TRUE(copy.has_value()) << "Abbruch " << k << ": die Kopie ist nicht ganz";
            EXPECT_EQ(text.substr(0, copy->text.size()), copy->text) << "Abbruch " << k;
            ++withCopy;
        }
    }
    std::printf("%d Abbrüche beim Tippen, %d hinterließen eine Kopie (erste Kopie nach %lld ms)\n", kKills, withCopy,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(untilFirstCopy).count()));
}

// Typing that never pauses for a second was copied once a minute only: a
// crash could take the keys of the last minute.
TEST(KilledTyping, RegressionTypingWithoutPauseWasCopiedOnceAMinuteOnly) {
    QTemporaryDir folder;
    DataHome data;
    Typist typist(folder.path(), "dauer", data);
    // Well within a minute of typing, however slowly the typist starts (a sanitizer build).
    const auto waited = std::chrono::steady_clock::now();
    const bool anyCopy = waitUntil([&] { return !copiesIn(data.copiesFolder(folder.path())).empty(); });
    const auto typedFor = std::chrono::steady_clock::now() - waited;
    typist.kill9();
    const auto copies = copiesIn(data.copiesFolder(folder.path()));
    ASSERT_TRUE(anyCopy) << "keine Kopie nach " << kPatienceMs / 1000 << " Sekunden Tippen";
    ASSERT_EQ(copies.size(), 1);
    // The first copy while typing comes within the interval, not with the minute's one.
    EXPECT_LT(typedFor, std::chrono::milliseconds(recovery::RecoveryKeeper::kLongestMs))
        << "erst nach einer Minute kopiert";
    ASSERT_TRUE(copies[0].has_value()) << "die Kopie ist nicht ganz";
    const std::string& copied = copies[0]->text;
    std::string typed;
    while (typed.size() < copied.size()) typed += "Dauertext ";
    EXPECT_FALSE(copied.empty());
    EXPECT_EQ(typed.substr(0, copied.size()), copied);
}

// Asked to end by a signal (a logout, a shutdown, a closed terminal) right
// after the last key, before the copy of the typing pause is due: the copy
// is written before the program ends, so no key is lost.
TEST(KilledTyping, RegressionEndedBySignalLostTheKeysOfTheLastSecond) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir folder;
        DataHome data;
        std::string text;
        {
            Typist typist(folder.path(), "tippen", data);
            text = typist.waitUntilDone().first;
            typist.end(signal);
        }
        Restart next(folder.path(), data);
        EXPECT_EQ(next.answers.questions().size(), 1) << "Signal " << signal;
        EXPECT_EQ(next.windows.Form1->MemArbeitsfenster->text(), text) << "Signal " << signal;
    }
}

// Started in a folder that takes no files (one of the system's, say): the
// copy, kept in the user's data folder, is offered at the next start.
TEST(KilledTyping, RegressionAStartInAFolderThatTakesNoFilesKeptNoCopy) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into every folder; the run as an unprivileged user has this";
    QTemporaryDir folder;
    DataHome data;
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    std::string text;
    {
        Typist typist(folder.path(), "tippen", data);
        text = typist.waitUntilDone().first;
        ASSERT_TRUE(copyComes(data.copiesFolder(folder.path()), text));
    }
    Restart next(folder.path(), data);
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(next.answers.questions().size(), 1);
    EXPECT_EQ(next.windows.Form1->MemArbeitsfenster->text(), text);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

// Killed after a typing test locked the window: the restored text is open
// for editing and the stopwatch is back at its start.
TEST(KilledTyping, KilledAfterATypingTestTheTextComesBackUnlocked) {
    QTemporaryDir folder;
    DataHome data;
    Typist typist(folder.path(), "stoppuhr", data);
    const std::string text = typist.waitUntilDone().first;
    ASSERT_TRUE(copyComes(data.copiesFolder(folder.path()), text));
    typist.kill9();
    Restart next(folder.path(), data);
    TForm1& form = *next.windows.Form1;
    EXPECT_EQ(form.MemArbeitsfenster->text(), text);
    EXPECT_FALSE(form.MemArbeitsfenster->isReadOnly());
    EXPECT_FALSE(form.TimStopper->isActive());
    EXPECT_FALSE(form.stopwatch().isRunning());
    EXPECT_EQ(form.EdiTime->text(), QString());
    EXPECT_EQ(form.MemArbeitsfenster->colours().background, form.windowColour());
}

}  // namespace
}  // namespace korvex::testing
