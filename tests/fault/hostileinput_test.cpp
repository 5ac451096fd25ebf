// Hostile and huge input: documents and settings files that no editor wrote.
// Each loads or gives its message, within bounded memory, and the program
// stays usable. Memory is the peak of the test's own process (ctest runs
// every test alone).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "app/recoverylink.h"
#include "app/uKorvex21.h"
#include "dialogs/uPhrasen.h"
#include "oracles/htmlreference.h"
#include "oracles/loadedtext.h"
#include "search/finddialog.h"
#include "settings/settingsfile.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"
#include "widgets/controls.h"

namespace korvex::testing {
namespace {

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Should reading block on a FIFO, a writer comes once the test's patience
// is spent and goes again, so the read ends and the test can tell. Not
// sooner: on a busy machine the commands themselves may take seconds.
class FifoRelease {
public:
    explicit FifoRelease(const QString& fifo)
        : thread_([this, path = QFile::encodeName(fifo)] {
              for (int i = 0; i < kPatienceMs / 10 && !stop_; ++i) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              while (!stop_) {
                  const int fd = open(path.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) released_ = true, close(fd);
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    ~FifoRelease() {
        stop_ = true;
        thread_.join();
    }
    bool released() const { return released_; }

private:
    std::atomic<bool> stop_ = false;
    std::atomic<bool> released_ = false;
    std::thread thread_;
};

// The address space the process holds now, in bytes.
rlim_t addressSpaceHeld() {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

class HostileInputTest : public MainWindowTest {
protected:
    void openFile(const QString& path) {
        form().markSaved();
        platform.openAnswers.push_back(path);
        QTest::mouseClick(form().SpButOeffnen, Qt::LeftButton);
    }
    // Still usable: a typed character arrives and counts as a change.
    void expectUsable() {
        const long long before = memo().characterCount();
        memo().setFocus();
        QTest::keyClicks(&memo(), QStringLiteral("x"));
        EXPECT_EQ(memo().characterCount(), before + 1);
        EXPECT_FALSE(form().isSaved());
    }
    static QString cannotOpen(const QString& path) {
        return QStringLiteral("Datei ") + QDir::toNativeSeparators(path) +
               QStringLiteral(" kann nicht geöffnet werden");
    }
    static void makeFifo(const QString& path) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0); }
    static void linkToZeroDevice(const QString& path) {
        ASSERT_EQ(symlink("/dev/zero", QFile::encodeName(path).constData()), 0);
    }
    void report(const char* what, double seconds) {
        RecordProperty("peak_mb", static_cast<int>(peakMegabytes()));
        std::printf("%s: %.1f s, Spitze %ld MB\n", what, seconds, peakMegabytes());
    }
};

TEST_F(HostileInputTest, OddDocumentsLoadAsTheirTextUpToTheFirstNul) {
    std::mt19937 random(7u);
    std::string binary(1 << 20, '\0');
    for (char& c : binary) c = static_cast<char>(random() & 0xFF);
    const std::string binaryText = normalizeLoadedText(binary);
    const struct {
        const char* what;
        std::string bytes;
        std::string text;
    } files[] = {
        {"nur NUL", std::string(1 << 20, '\0'), ""},
        {"Binärdatei", binary, binaryText},
        {"NUL hinter Text", std::string("Text\r\nEnde") + std::string(1000, '\0') + "Rest", "Text\r\nEnde"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        const QString path = pathInWorkingDir(QString::fromUtf8(file.what));
        writeFile(path, QByteArray::fromStdString(file.bytes));
        openFile(path);
        EXPECT_TRUE(platform.errorReports.isEmpty());
        EXPECT_EQ(memo().text(), file.text);
        expectUsable();
    }
}

TEST_F(HostileInputTest, TenMillionLoneCarriageReturnsExceedTheCapacity) {
    memo().loadBytes("bleibt");
    const QString path = pathInWorkingDir(QStringLiteral("cr.txt"));
    writeFile(path, QByteArray(10'000'000, '\r'));
    QElapsedTimer timer;
    timer.start();
    openFile(path);
    report("10 Mio. CR", timer.elapsed() / 1000.0);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität")});
    EXPECT_EQ(memo().text(), "bleibt");
    expectUsable();
    EXPECT_LT(peakMegabytes(), 1024);
}

TEST_F(HostileInputTest, UnreadableDocumentIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "als root liest jeder Prozess trotz Modus 000";
    const QString path = pathInWorkingDir(QStringLiteral("gesperrt.txt"));
    writeFile(path, "geheim");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    openFile(path);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Datei ") + QDir::toNativeSeparators(path) +
                                                 QStringLiteral(" kann nicht geöffnet werden")});
    expectUsable();
}

// Nothing is read of what cannot be a document, and Open never blocks.
TEST_F(HostileInputTest, FilesThatAreNoRegularFilesOrTooBigAreRefusedBeforeReading) {
    const QString fifo = pathInWorkingDir(QStringLiteral("Rohr.txt"));
    const QString zero = pathInWorkingDir(QStringLiteral("Nullen.txt"));
    const QString huge = pathInWorkingDir(QStringLiteral("riesig.txt"));
    makeFifo(fifo);
    linkToZeroDevice(zero);
    std::ofstream(QFile::encodeName(huge).constData());
    ASSERT_EQ(truncate(QFile::encodeName(huge).constData(), 1LL << 30), 0);  // 1 GiB, sparse
    const struct {
        const char* what;
        QString path;
        QString message;
    } files[] = {
        {"FIFO", fifo, cannotOpen(fifo)},
        {"Verknüpfung auf /dev/zero", zero, cannotOpen(zero)},
        {"1 GiB", huge, QStringLiteral("Text überschreitet Memo-Kapazität")},
        {"Ordner", workingDir.path(), cannotOpen(workingDir.path())},
    };
    memo().loadBytes("bleibt");
    const long before = peakMegabytes();
    const FifoRelease release(fifo);
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        platform.errorReports.clear();
        openFile(file.path);
        EXPECT_EQ(platform.errorReports, QStringList{file.message});
        EXPECT_EQ(memo().text(), "bleibt");
    }
    EXPECT_FALSE(release.released()) << "Öffnen wartete auf einen Schreiber";
    EXPECT_LT(peakMegabytes() - before, 64);
    expectUsable();
}

// A FIFO or a link to a device as settings or phrase file: the window comes
// up with the defaults and the phrase editor reports the file.
TEST_F(HostileInputTest, SettingsAndPhraseFilesThatAreNoRegularFilesDoNotStopTheStart) {
    const QString settings = pathInWorkingDir(QStringLiteral("Korvex23Ini.txt"));
    const QString phrases = pathInWorkingDir(QStringLiteral("KorvexPhrasen.txt"));
    for (void (*make)(const QString&) : {&makeFifo, &linkToZeroDevice}) {
        SCOPED_TRACE(make == &makeFifo ? "FIFO" : "Verknüpfung auf /dev/zero");
        QFile::remove(settings);
        QFile::remove(phrases);
        make(settings);
        make(phrases);
        platform.messages.clear();
        platform.errorReports.clear();
        {
            const FifoRelease settingsRelease(settings);
            const FifoRelease phrasesRelease(phrases);
            startProgram();
            EXPECT_EQ(platform.messages.size(), 1);  // the settings count as damaged
            QTest::mouseClick(form().ButPhrasen, Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitForWindowActive(windows.Form3, kPatienceMs));
            QApplication::processEvents();
            EXPECT_FALSE(settingsRelease.released() || phrasesRelease.released())
                << "Start wartete auf einen Schreiber";
        }
        EXPECT_EQ(platform.errorReports, QStringList{cannotOpen(phrases)});
        windows.Form3->hide();
        form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), kPatienceMs));
        expectUsable();
    }
}

// Under a memory limit, Open of a file the memory left cannot hold.
TEST_F(HostileInputTest, OutOfMemoryInACommandIsReportedAndTheProgramGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer verträgt keine Grenze des Adressraums";
#endif
    const QString path = pathInWorkingDir(QStringLiteral("zu gross.txt"));
    std::ofstream(QFile::encodeName(path).constData());
    ASSERT_EQ(truncate(QFile::encodeName(path).constData(), 256LL << 20), 0);
    memo().loadBytes("bleibt");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    const rlimit tight{addressSpaceHeld() + (128u << 20), old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    openFile(path);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    EXPECT_EQ(platform.errorReports, QStringList{QStringLiteral("Nicht genügend Arbeitsspeicher für diesen Befehl")});
    EXPECT_EQ(memo().text(), "bleibt");
    expectUsable();
}

// "Alle ersetzen" short of memory halfway through its edits ended the
// program (Qt's document cannot take a failed allocation inside an edit).
// Limits in steps from tight to enough: each try changes nothing, leaves
// the undo steps as they were, or replaces all.
TEST_F(HostileInputTest, RegressionAlleErsetzenShortOfMemoryEndedTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer verträgt keine Grenze des Adressraums";
#endif
    std::string text;
    std::string replaced;
    for (int line = 0; text.size() < (12u << 20); ++line) {
        const std::string price = std::to_string(line % 97) + ",50 €";
        text += "Sehr geehrte Damen und Herren, die Lieferung kostet " + price + ".\r\n";
        replaced += "Sehr geehrte Kundinnen und Kunden und Herren, die Lieferung kostet " + price + ".\r\n";
    }
    memo().loadBytes(text);
    memo().finishLoading();
    memo().document()->clearUndoRedoStacks();
    form().Ersetzen1Click();
    auto& dialog = *form().findChild<search::FindDialog*>(QStringLiteral("FindDialog"));
    dialog.EdiSuchen->setText(QStringLiteral("Damen"));
    dialog.EdiErsetzen->setText(QStringLiteral("Kundinnen und Kunden"));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    // Limits from what the process holds now: a try taken back leaves its
    // lines in Qt's buffer, so a limit measured anew each time might never
    // be enough.
    const rlim_t holds = addressSpaceHeld();
    int refused = 0;
    for (rlim_t extra = rlim_t{16} << 20;; extra += rlim_t{16} << 20) {
        ASSERT_LT(extra, rlim_t{2048} << 20) << "never enough memory";
        const rlimit tight{holds + extra, old.rlim_max};
        const qsizetype reportsBefore = platform.errorReports.size();
        ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
        dialog.ButAlleErsetzen->click();
        ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
        if (platform.errorReports.size() == reportsBefore) break;
        ++refused;
        ASSERT_EQ(memo().text(), text) << "refused with " << (extra >> 20) << " MiB to spare";
        QTest::keyClick(&memo(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&memo(), QStringLiteral("x"));
        memo().undo();
        ASSERT_EQ(memo().text(), text) << "the key joined the replacement's undo step";
        // The key's recovery copy is written now, not under the next try's limit.
        windows.Recovery->keeper().writeNowAndWait();
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(memo().text(), replaced);
    memo().undo();
    EXPECT_EQ(memo().text(), text);
}

// A load short of memory (here "RAll", which converts the text as it goes
// in) left Qt's document inside the edit that ran short: neither layout nor
// window heard of any change after it, so that a key went in unseen and
// counted as no change, and undo stayed off. Putting the text from before
// back could run short as well, which lost the text and left the window
// without a caret: the next key ended the program. Limits in steps from
// tight to enough: each try is given up with one message, the window holds
// the text as before and takes a key as always, or the text is converted.
TEST_F(HostileInputTest, RegressionLoadShortOfMemoryLeftQtsDocumentInTheEdit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer verträgt keine Grenze des Adressraums";
#endif
    std::string text;
    for (int line = 0; text.size() < (24u << 20); ++line) {
        text += "Sehr geehrte Damen und Herren, f\xFCr Ihr Schreiben vom " + std::to_string(line % 28 + 1) +
                ". M\xE4rz danken wir. Mit freundlichem Gru\xDF\r\n";
    }
    windows.Recovery.reset();  // its copies under a limit would bring messages of their own
    memo().loadBytes(text);
    memo().finishLoading();
    // Compared by hand: a failure's message would not hold the difference of two such texts.
    const auto holdsText = [&](const std::string& expected) {
        const std::string held = memo().text();
        return ::testing::AssertionResult(held == expected)
               << held.size() << " bytes held, " << expected.size() << " expected";
    };
    const auto typeAtEnd = [&] {
        memo().setFocus();
        QTest::keyClick(&memo(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&memo(), QStringLiteral("x"));
    };
    // The key as it goes in where nothing ran short.
    typeAtEnd();
    const int lines = memo().count();
    const TextWindow::CaretPlace caret = memo().caretPlace();
    memo().undo();
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    const rlim_t holds = addressSpaceHeld();
    int givenUp = 0;
    // From below what it holds: the allocator may have room to spare.
    for (rlim_t limit = holds - (rlim_t{64} << 20);; limit += rlim_t{16} << 20) {
        ASSERT_LT(limit, holds + (rlim_t{2048} << 20)) << "never enough memory";
        SCOPED_TRACE(std::to_string((static_cast<qint64>(limit) - static_cast<qint64>(holds)) >> 20) + " MiB to spare");
        const rlimit tight{limit, old.rlim_max};
        const qsizetype reportsBefore = platform.errorReports.size();
        ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
        click(form().ButReplaceAll);
        waitUntil([&] { return !memo().isLoading(); });
        ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
        if (platform.errorReports.size() == reportsBefore) break;
        ++givenUp;
        ASSERT_EQ(platform.errorReports.size(), reportsBefore + 1);
        ASSERT_TRUE(holdsText(text));
        form().markSaved();
        typeAtEnd();
        ASSERT_TRUE(holdsText(text + "x"));
        EXPECT_FALSE(form().isSaved()) << "the key was no change";
        EXPECT_EQ(memo().count(), lines);
        EXPECT_EQ(memo().caretLine(), caret.line);
        EXPECT_EQ(memo().caretColumn(), caret.column);
        memo().undo();
        ASSERT_TRUE(holdsText(text)) << "no undo after the load";
    }
    EXPECT_GT(givenUp, 0);
    EXPECT_TRUE(holdsText(convertToHtmlStepByStep(text, HtmlConversion::All)));
}

// A big recovery copy brought back with JA whose rest could not come in for
// want of memory: the window went back to empty, but the copy's place stayed
// this instance's, so the next key wrote over the only copy of the text.
TEST_F(HostileInputTest, RegressionRestoreGivenUpForMemoryLetTheNextKeyWriteOverTheCopy) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer verträgt keine Grenze des Adressraums";
#endif
    {
        std::string text;
        while (text.size() < (32u << 20)) text += "Sehr geehrte Damen und Herren, wir danken für Ihr Schreiben.\r\n";
        memo().loadBytes(text);
    }
    memo().finishLoading();
    form().markChanged();
    windows.Recovery->keeper().writeNowAndWait();
    const QString copyPath = windows.Recovery->keeper().copyPath();
    const QByteArray copy = readFile(copyPath);
    ASSERT_GT(copy.size(), 32 << 20);
    windows = WindowSet{};  // ended unasked: the copy stays behind
    windows = createWindowSet(platform);
    answers.answerNext(Reply::Ja);
    startUp(windows, {});
    ASSERT_TRUE(memo().isLoading());
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    const rlimit tight{addressSpaceHeld() + (24u << 20), old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    EXPECT_THROW(memo().finishLoading(), std::bad_alloc);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    EXPECT_TRUE(memo().isDocumentEmpty());  // as before the restore
    memo().setFocus();
    QTest::keyClicks(&memo(), QStringLiteral("x"));
    windows.Recovery->keeper().writeNowAndWait();
    const QByteArray kept = readFile(copyPath);
    EXPECT_TRUE(kept == copy) << "the copy was written over: " << kept.size() << " bytes left";
}

TEST_F(HostileInputTest, HugeSettingsFilesAreReadWithinBounds) {
    const std::string head = "K\r\n>\r\n10\r\n20\r\n300\r\n400\r\n>\r\nclRed\r\n";
    const std::string tail = "12\r\nbold------\r\nclBlue\r\n\r\n\r\nEndOfFile\r\n";
    std::string millionLines = head + "Arial\r\n" + tail;
    for (int i = 0; i < 1'000'000; ++i) millionLines += "Zeile\r\n";
    const struct {
        const char* what;
        std::string bytes;
        bool damaged;
    } files[] = {
        {"eine Million Zeilen", millionLines, false},
        {"Schriftname von 10 MB", head + std::string(10 << 20, 'F') + "\r\n" + tail, false},
        {"Zahl von 10 MB", head + "Arial\r\n" + std::string(10 << 20, '1') + "\r\n" + tail, true},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        platform.messages.clear();
        writeFile(pathInWorkingDir(QStringLiteral("Korvex23Ini.txt")), QByteArray::fromStdString(file.bytes));
        startProgram();
        EXPECT_EQ(platform.messages.size(), file.damaged ? 1 : 0);
        EXPECT_EQ(memo().colours().background, Colour(0x000000FF));
        if (!file.damaged) EXPECT_EQ(memo().colours().text, Colour(0x00FF0000));
        EXPECT_LE(memo().font().family().size(), static_cast<qsizetype>(kMaxFontNameLength));
        expectUsable();
    }
    EXPECT_LT(peakMegabytes(), 2048);
}

TEST_F(HostileInputTest, SettingsPathThatIsAFolderIsReportedAtClose) {
    const QString folder = pathInWorkingDir(QStringLiteral("Korvex23Ini.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    startProgram();
    EXPECT_TRUE(platform.messages.isEmpty());
    form().close();
    ASSERT_EQ(platform.errorReports.size(), 1);
    EXPECT_TRUE(platform.errorReports[0].startsWith(QStringLiteral("Datei ") + QDir::toNativeSeparators(folder) +
                                                    QStringLiteral(" kann nicht erstellt werden.\n")));
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

// 200 MB of text in lines of 100 characters, through Open.
TEST_F(HostileInputTest, SlowTwoHundredMegabyteDocumentOpens) {
    const QString path = pathInWorkingDir(QStringLiteral("gross.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray line = QByteArray(98, 'a') + "\r\n";
        const QByteArray block = line.repeated(10'000);
        for (int i = 0; i < 200; ++i) ASSERT_EQ(file.write(block), block.size());
    }
    const long before = peakMegabytes();
    QElapsedTimer timer;
    timer.start();
    openFile(path);
    report("200 MB", timer.elapsed() / 1000.0);
    std::printf("vor dem Öffnen %ld MB\n", before);
    EXPECT_TRUE(platform.errorReports.isEmpty());
    EXPECT_EQ(memo().characterCount(), 196'000'000);
    expectUsable();
}

}  // namespace
}  // namespace korvex::testing
