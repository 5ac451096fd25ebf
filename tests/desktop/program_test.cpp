// The real program on a desktop with a window manager (run-on-xvfb starts
// one), driven as a user drives it: started in a folder, clicked at through
// the X server, closed with "EX".
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include <sys/resource.h>
#include <sys/stat.h>

#include "bench/corpus.h"
#include "oracles/htmlreference.h"
#include "recovery/recoveryfile.h"
#include "support/waiting.h"

namespace {

using korvex::testing::kPatienceMs;
using korvex::testing::waitUntil;

// A tool run to its end; its standard output, or nothing when it failed or took too long.
std::optional<QString> run(const QString& tool, const QStringList& arguments,
                           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    if (!process.waitForFinished(kPatienceMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString titled(const QString& title) { return QLatin1Char('^') + QRegularExpression::escape(title) + '$'; }

// The X window of that exact title, once the server shows it.
QString waitForWindow(const QString& title) {
    const auto found = run(QStringLiteral("xdotool"),
                           {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--name"), titled(title)});
    return found ? found->section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

// The X window of that exact title the server shows now; empty when there is none.
QString shownWindow(const QString& title) {
    const auto found = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                       QStringLiteral("--name"), titled(title)});
    return found ? found->section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

// Where the window's inside lies on the screen (xwininfo: xdotool counts a
// reparented window's offset twice).
QRect clientArea(const QString& window) {
    const auto info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    QRect area;
    if (!info) return area;
    for (const QString& line : info->split(QLatin1Char('\n'))) {
        const int value = line.section(QLatin1Char(':'), 1).trimmed().toInt();
        if (line.contains("Absolute upper-left X:")) area.moveLeft(value);
        if (line.contains("Absolute upper-left Y:")) area.moveTop(value);
        if (line.trimmed().startsWith("Width:")) area.setWidth(value);
        if (line.trimmed().startsWith("Height:")) area.setHeight(value);
    }
    return area;
}

// The frame the window manager put around the window: left, right, top, bottom.
std::optional<QMargins> frameExtents(const QString& window) {
    const auto property = run(QStringLiteral("xprop"),
                              {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")});
    if (!property || !property->contains(QLatin1Char('='))) return std::nullopt;
    const QStringList sides = property->section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (sides.size() != 4) return std::nullopt;
    return QMargins(sides[0].trimmed().toInt(), sides[2].trimmed().toInt(), sides[1].trimmed().toInt(),
                    sides[3].trimmed().toInt());
}

// The windows the window manager shows, from the bottom of the stack to its top.
QList<qulonglong> stackedWindows() {
    const auto property = run(QStringLiteral("xprop"),
                              {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<qulonglong> windows;
    if (!property) return windows;
    for (const QString& id : property->section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        windows << id.trimmed().toULongLong(nullptr, 16);
    }
    return windows;
}

// The window's frame on the screen, as the window manager placed it; empty before it framed the window.
QRect outerFrame(const QString& window) {
    const auto frame = frameExtents(window);
    return frame ? clientArea(window).marginsAdded(*frame) : QRect();
}

// The X server hands the program clicks and keys in the order they were
// sent, so a test waits only for the effect it needs to see.
void clickAt(QPoint onScreen) {
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(onScreen.x()),
                                    QString::number(onScreen.y()), QStringLiteral("click"), QStringLiteral("1")});
}

bool isMapped(const QString& window) {
    const auto info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    return info && info->contains(QStringLiteral("IsViewable"));
}

// A key that closes a message or question, pressed once it is the active window; true once it is gone.
bool dismiss(const QString& window, const QString& key) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window, QStringLiteral("key"), key});
    return waitUntil([&window] { return !isMapped(window); });
}

// The primary selection of the display in `environment`: what the program marked last.
QString markedText(const QProcessEnvironment& environment) {
    return run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("primary")},
               environment)
        .value_or(QString());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The recovery copy the program keeps below `folder` (its data folder is there too); empty while there is none.
QString recoveryCopyPathBelow(const QString& folder) {
    QDirIterator copies(folder, {QStringLiteral("Korvex23Wiederherstellung-1.txt")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
    return copies.hasNext() ? copies.next() : QString();
}

QByteArray recoveryCopyBelow(const QString& folder) { return readFile(recoveryCopyPathBelow(folder)); }

// Every copy is a new file put in the place of the last one: its inode tells
// one copy from the next; 0 while there is none.
ino_t inodeOf(const QString& path) {
    struct stat status {};
    return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// The last bytes of a file, without reading all of a big one.
QByteArray endOf(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(std::max<qint64>(0, file.size() - size))) return {};
    return file.read(size);
}

// KORVEX_PROGRAM in the environment tries another build, an installed one for instance.
QString program() { return qEnvironmentVariable("KORVEX_PROGRAM", QStringLiteral(KORVEX_PROGRAM)); }

// The program's environment for a start in `folder`: a data folder of its own
// there, never the user's, whose recovery copies it would offer at its start.
QProcessEnvironment environmentIn(const QString& folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/.daten"));
    return environment;
}

// An X server of the test's own, without a window manager, to size or take away.
class OwnDisplay {
public:
    OwnDisplay(const QString& size, const QString& folder) : environment(environmentIn(folder)) {
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), size, QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (server_.waitForReadyRead(kPatienceMs)) {
            environment.insert(QStringLiteral("DISPLAY"),
                               ':' + QString::fromLatin1(server_.readAllStandardOutput()).trimmed());
        }
    }
    ~OwnDisplay() { stop(); }
    OwnDisplay(const OwnDisplay&) = delete;
    OwnDisplay& operator=(const OwnDisplay&) = delete;

    // Starts the program there in `folder`; its window, once shown, or nothing.
    std::optional<QString> start(QProcess& korvex, const QString& folder) const {
        if (!environment.contains(QStringLiteral("DISPLAY"))) return std::nullopt;
        korvex.setProcessEnvironment(environment);
        korvex.setWorkingDirectory(folder);
        korvex.start(program(), {});
        const auto found = run(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QStringLiteral("^Korvex Version 2.3$")},
                               environment);
        if (!found) return std::nullopt;
        return found->section(QLatin1Char('\n'), 0, 0).trimmed();
    }
    void stop() {
        server_.terminate();
        server_.waitForFinished();
    }

    QProcessEnvironment environment;

private:
    QProcess server_;
};

// Korvex21 started in a folder, as from a terminal there; through `launcher`
// when one is given.
class Korvex {
public:
    explicit Korvex(const QString& folder, const QStringList& arguments = {}, QStringList launcher = {}) {
        process_.setWorkingDirectory(folder);
        process_.setProcessEnvironment(environmentIn(folder));
        launcher << program() << arguments;
        process_.start(launcher.takeFirst(), launcher);
        window = waitForWindow(QStringLiteral("Korvex Version 2.3"));
        waitUntil([this] { return !outerFrame(window).isEmpty(); });
        client = clientArea(window);
    }
    ~Korvex() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished();
    }
    Korvex(const Korvex&) = delete;
    Korvex& operator=(const Korvex&) = delete;

    // A point of the tool panel, given as in the layout: the panel starts
    // below the menu bar, which is well under 28 pixels high.
    QPoint toolPanel(int x, int y) const { return client.topLeft() + QPoint(x, 28 + y); }
    // "EX", and the program ends; false when it does not.
    bool closeWithEx() {
        clickAt(toolPanel(528, 20));
        return ended();
    }
    // "EX" with unsaved text, and NEIN to the save question; false when the program does not end so.
    bool closeWithoutSaving() {
        clickAt(toolPanel(528, 20));
        const QString question = waitForWindow(QStringLiteral("KxMessageDialog"));
        if (question.isEmpty()) return false;
        clickAt(clientArea(question).topLeft() + QPoint(176, 102));  // "NEIN"
        return ended();
    }
    // The program has ended without a fault.
    bool ended() {
        if (running()) process_.waitForFinished(kPatienceMs);
        return !running() && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    // How it ended, for a failure's message.
    std::string end() const {
        if (running()) return "läuft noch";
        if (process_.exitStatus() == QProcess::CrashExit) return "abgestürzt";
        return "beendet mit " + std::to_string(process_.exitCode());
    }
    // A key at the end of the text, as a user types it there: a click into
    // the text (the focus may be on a button), Strg+Ende and the key.
    void typeAtEnd(char key) const {
        clickAt(client.center());
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+End"), QString(QLatin1Char(key))});
    }
    // The address space the program takes now (its VmSize), in bytes; 0 when it cannot be read.
    qint64 addressSpace() const {
        const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(process_.processId()));
        const qsizetype at = status.indexOf("VmSize:");
        if (at < 0) return 0;
        return status.mid(at + 7, status.indexOf('\n', at) - at - 7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    // Its address space limited to `bytes` from now on, as `prlimit --pid` does it.
    bool limitAddressSpace(rlim_t bytes) const {
        const rlimit limit{bytes, RLIM_INFINITY};
        return prlimit(static_cast<pid_t>(process_.processId()), RLIMIT_AS, &limit, nullptr) == 0;
    }
    // The frame's rectangle once the window manager has put it at `expected`; else where it is then.
    QRect outerSettledAt(const QRect& expected) const {
        waitUntil([&] { return outerFrame(window) == expected; });
        return outerFrame(window);
    }
    // The frame's rectangle once two looks in a row find it at the same place.
    QRect outerSettled() const {
        QRect last;
        waitUntil([&] {
            const QRect now = outerFrame(window);
            return std::exchange(last, now) == now && !now.isEmpty();
        });
        return last;
    }

    QString window;
    QRect client;  // the inside

private:
    QProcess process_;
};

// What the program did next after a step under a memory limit.
enum class Next { Copy, Message, Ended, Nothing };

// Waits until the program has ended, shows a message, or has written a
// recovery copy other than `lastCopy` whose text ends with `typed`.
Next waitForNext(const Korvex& korvex, const QString& folder, ino_t lastCopy, const QByteArray& typed,
                 QString& message) {
    const QByteArray copyEnd = typed + "\r\nENDE\r\n";
    int looks = 0;
    Next next = Next::Nothing;
    waitUntil([&] {
        const QString copy = recoveryCopyPathBelow(folder);
        if (!korvex.running()) {
            next = Next::Ended;
        } else if (inodeOf(copy) != lastCopy && endOf(copy, copyEnd.size()) == copyEnd) {
            next = Next::Copy;
        } else if (looks++ % 20 == 0 && !(message = shownWindow(QStringLiteral("Korvex21"))).isEmpty()) {
            next = Next::Message;  // asked of the X server a few times a second: each look is a process
        }
        return next != Next::Nothing;
    });
    return next;
}

// After a step under the program's memory limit: `key` typed at the end of
// the text, until a recovery copy other than `lastCopy` holds it. A message
// on the way (the program's error report) is counted in `messages` and
// closed, the limit lifted and the key typed again. The copy's text, or
// nothing when the program ended or did nothing.
std::optional<std::string> copyAfterKey(Korvex& korvex, const QString& folder, ino_t lastCopy, char key,
                                        int& messages) {
    korvex.typeAtEnd(key);
    for (;;) {
        QString message;
        const Next next = waitForNext(korvex, folder, lastCopy, QByteArray(1, key), message);
        if (next == Next::Copy) break;
        if (next != Next::Message || ++messages > 3) {
            ADD_FAILURE() << (next == Next::Ended ? "Korvex " + korvex.end() : "keine Kopie nach der Taste");
            return std::nullopt;
        }
        EXPECT_TRUE(korvex.limitAddressSpace(RLIM_INFINITY));
        EXPECT_TRUE(dismiss(message, QStringLiteral("Return")));
        korvex.typeAtEnd(key);
    }
    const QByteArray bytes = recoveryCopyBelow(folder);
    const auto record = ::korvex::recovery::parseRecovery(std::string_view(bytes.constData(), bytes.size()));
    if (!record) ADD_FAILURE() << "die Kopie ist nicht ganz";
    return record ? std::optional(record->text) : std::nullopt;
}

// The text without the run of `key` at its end.
std::string withoutKeysAtEnd(std::string text, char key) {
    while (!text.empty() && text.back() == key) text.pop_back();
    return text;
}

// Big enough that memory for it runs short well above what the program
// takes idle, small enough for a few starts in a test.
constexpr size_t kBigText = size_t{50} << 20;

class ProgramOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}))
            << "no window manager on DISPLAY";
    }
    QString inFolder(const QString& name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

TEST_F(ProgramOnTheDesktop, RegressionWindowWalkedAndGrewOnEveryRun) {
    const QByteArray settings =
        "Korvex-V2.3 INI:\r\n>> Top, Left, Height, Width:\r\n71\r\n214\r\n649\r\n654\r\n"
        ">> Color, Font, FontSize, FettKursiv, FontColor:\r\nclYellow\r\nArial\r\n12\r\nbold------\r\nclRed\r\n"
        "/tmp/Texte/\r\n/tmp/Ablage/\r\nEndOfFile\r\n";
    const QString path = inFolder(QStringLiteral("Korvex23Ini.txt"));
    ASSERT_TRUE(writeFile(path, settings));
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        Korvex korvex(folder.path());
        ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
        // Top, Left, Height, Width are the frame's, where the window manager put it.
        const QRect outer = korvex.outerSettledAt(QRect(214, 71, 654, 649));
        EXPECT_EQ(outer, QRect(214, 71, 654, 649));
        EXPECT_LT(korvex.client.width(), outer.width());
        ASSERT_TRUE(korvex.closeWithEx());
        EXPECT_EQ(readFile(path), settings);
    }
}

TEST_F(ProgramOnTheDesktop, RegressionSizeBelowTheMinimumNeverSettled) {
    const QString path = inFolder(QStringLiteral("Korvex23Ini.txt"));
    ASSERT_TRUE(writeFile(path,
                          "Korvex-V2.3 INI:\r\n>> Top, Left, Height, Width:\r\n71\r\n214\r\n1\r\n1\r\n"
                          ">> Color, Font, FontSize, FettKursiv, FontColor:\r\nclMoneyGreen\r\nCourier New\r\n"
                          "10\r\n----------\r\nclWindowText\r\n\r\n\r\nEndOfFile\r\n"));
    QRect smallest;
    QByteArray written;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        Korvex korvex(folder.path());
        ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
        if (round == 2) EXPECT_EQ(korvex.outerSettledAt(smallest), smallest);
        smallest = korvex.outerSettled();
        ASSERT_TRUE(korvex.closeWithEx());  // the smallest window shows every tool
        // The smallest window the layout allows, stored as the frame's size.
        const QList<QByteArray> lines = readFile(path).split('\n');
        ASSERT_GE(lines.size(), 6);
        EXPECT_EQ(lines[4].trimmed().toInt(), smallest.height());
        EXPECT_EQ(lines[5].trimmed().toInt(), smallest.width());
        EXPECT_GT(smallest.height(), 100);
        if (round == 2) EXPECT_EQ(readFile(path), written);
        written = readFile(path);
    }
}

// Started for the first time (no settings file) on a screen lower than the
// window, as a laptop's at 125 %, the window reached below the screen's edge.
TEST_F(ProgramOnTheDesktop, RegressionFirstWindowReachedBeyondASmallScreen) {
    OwnDisplay display(QStringLiteral("1093x614x24"), folder.path());
    QProcess korvex;
    const std::optional<QString> window = display.start(korvex, folder.path());
    ASSERT_TRUE(window) << "no window";
    QRect placed;
    const bool onScreen = waitUntil([&] {
        const auto info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), *window}, display.environment);
        const auto value = [&info](const char* label) {
            return info->section(QString::fromLatin1(label), 1).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
        };
        if (!info) return false;
        placed = QRect(value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"),
                       value("Height:"));
        return QRect(0, 0, 1093, 614).contains(placed);
    });
    EXPECT_TRUE(onScreen) << "placed at " << placed.x() << ',' << placed.y() << ' ' << placed.width() << 'x'
                          << placed.height();
    korvex.kill();
    korvex.waitForFinished();
}

// Messages and questions opened behind the phrase editor, which stays on top
// (as the main window does with "TOP"): unseen, they held the whole program.
TEST_F(ProgramOnTheDesktop, RegressionMessageOpenedBehindAWindowKeptOnTop) {
    Korvex korvex(folder.path());
    ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
    clickAt(korvex.client.center());
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("ungesichert")});
    clickAt(korvex.toolPanel(288, 44));  // "Phr"
    const QString phrases = waitForWindow(QStringLiteral("KORVEX V2.3 // Phraseneditor"));
    ASSERT_FALSE(phrases.isEmpty()) << "no phrase editor";
    const auto above = [&phrases](const QString& window) {
        const QList<qulonglong> stack = stackedWindows();
        return stack.indexOf(window.toULongLong()) > stack.indexOf(phrases.toULongLong());
    };

    // "Phrase einfügen" with nothing marked: a message from the phrase editor.
    clickAt(clientArea(phrases).bottomLeft() + QPoint(68, -40 + 7 + 13));
    const QString message = waitForWindow(QStringLiteral("Korvex21"));
    ASSERT_FALSE(message.isEmpty()) << "no message";
    EXPECT_TRUE(above(message));
    EXPECT_TRUE(dismiss(message, QStringLiteral("Return")));

    // The main window closed from its frame: the save question is the main window's.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), korvex.window,
                                    QStringLiteral("key"), QStringLiteral("alt+F4")});
    const QString question = waitForWindow(QStringLiteral("KxMessageDialog"));
    ASSERT_FALSE(question.isEmpty()) << "no save question";
    EXPECT_TRUE(above(question));
    EXPECT_TRUE(dismiss(question, QStringLiteral("Escape")));

    // The phrase editor's own question, on closing it with phrases another Korvex saved meanwhile.
    clickAt(clientArea(phrases).center());
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("Gruss")});
    ASSERT_TRUE(writeFile(inFolder(QStringLiteral("KorvexPhrasen.txt")), "Von anderswo\r\n"));
    clickAt(clientArea(phrases).bottomLeft() + QPoint(348, -20));  // "Abbrechen"
    const QString phraseQuestion = waitForWindow(QStringLiteral("KxMessageDialog"));
    ASSERT_FALSE(phraseQuestion.isEmpty()) << "no question from the phrase editor";
    EXPECT_TRUE(above(phraseQuestion));
    EXPECT_TRUE(dismiss(phraseQuestion, QStringLiteral("Escape")));
}

TEST_F(ProgramOnTheDesktop, RegressionSystemDialogsSpokeEnglish) {
    Korvex korvex(folder.path());
    ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
    clickAt(korvex.toolPanel(48, 40));  // "Öffnen"
    const QString dialog = waitForWindow(QStringLiteral("Öffnen"));
    EXPECT_FALSE(dialog.isEmpty()) << "no dialog titled \"Öffnen\"";
    if (!dialog.isEmpty()) {
        EXPECT_TRUE(dismiss(dialog, QStringLiteral("Escape")));
    }
    EXPECT_TRUE(korvex.closeWithEx());
}

// Qt took arguments such as "-reverse" as options of its own (the window
// laid out right to left, no file opened), and "--" as a file. The copy of
// the typing pause names the file the text came from.
TEST_F(ProgramOnTheDesktop, RegressionFileNamesLikeOptionsWereTakenByQt) {
    ASSERT_TRUE(writeFile(inFolder(QStringLiteral("-reverse")), "Text"));
    Korvex korvex(folder.path(), {QStringLiteral("--"), QStringLiteral("-reverse")});
    ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
    clickAt(clientArea(korvex.window).bottomLeft() + QPoint(40, -40));  // below the text: the caret goes to its end
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral(" neu")});
    QByteArray copy;
    EXPECT_TRUE(waitUntil([&] { return (copy = recoveryCopyBelow(folder.path())).contains("Text neu"); }))
        << copy.constData();
    EXPECT_TRUE(copy.contains(QFile::encodeName(inFolder(QStringLiteral("-reverse"))))) << copy.constData();
}

// The display going away at the end of a session right after the last key
// (the copy of the typing pause not due yet): Qt ends the process at once.
TEST_F(ProgramOnTheDesktop, RegressionDisplayGoneLostTheKeysOfTheLastSecond) {
    OwnDisplay display(QStringLiteral("1024x768x24"), folder.path());
    QProcess korvex;
    const std::optional<QString> window = display.start(korvex, folder.path());
    ASSERT_TRUE(window) << "no window";
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), *window, QStringLiteral("type"),
         QStringLiteral("Bis zum Ende der Sitzung")},
        display.environment);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("key"), QStringLiteral("--window"), *window, QStringLiteral("shift+Home")},
        display.environment);
    // The line marked is the sign that every key has been taken; the copy of
    // the typing pause is not due for a while yet.
    ASSERT_TRUE(waitUntil([&] { return markedText(display.environment) == "Bis zum Ende der Sitzung"; }))
        << "marked: " << markedText(display.environment).toStdString();
    display.stop();
    ASSERT_TRUE(korvex.waitForFinished(kPatienceMs));
    EXPECT_TRUE(recoveryCopyBelow(folder.path()).contains("Bis zum Ende der Sitzung"));
}

// A big text opened from the command line under a limit of the address
// space (prlimit --as), then a key: memory ran out in a piece of the load or
// in the recovery copy, outside any command, and the program ended with the
// unsaved text. Where the border lies moves from run to run, so the limits
// reach from too small for the text to ample, above what the program takes
// idle; at each the program lives, and the text is whole in the window or,
// the load given up with one message, not there at all. The recovery copy
// says which: once the limit is lifted after a message, the next key's copy
// holds the window's text.
TEST_F(ProgramOnTheDesktop, RegressionMemoryRunningOutBetweenCommandsEndedTheProgram) {
    const std::string text = ::korvex::bench::generateGermanText(kBigText);
    const QString file = inFolder(QStringLiteral("Bericht.txt"));
    ASSERT_TRUE(writeFile(file, QByteArray::fromStdString(text)));
    qint64 idle = 0;
    {
        Korvex korvex(folder.path());
        ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
        idle = korvex.addressSpace();
        ASSERT_TRUE(korvex.closeWithEx());
    }
    ASSERT_GT(idle, 0);
    for (const int share : {2, 8, 9, 20}) {
        const qint64 limit = idle + share * static_cast<qint64>(text.size());
        const QString outcome = QStringLiteral("Grenze %1 MiB (Ruhe + %2 × Text)").arg(limit >> 20).arg(share);
        SCOPED_TRACE(outcome.toStdString());
        const QString start = inFolder(QString::number(share));
        ASSERT_TRUE(QDir().mkpath(start));
        Korvex korvex(
            start, {file},
            {QStringLiteral("prlimit"), QStringLiteral("--as=%1:unlimited").arg(limit), QStringLiteral("--")});
        ASSERT_FALSE(korvex.window.isEmpty()) << "no window: Korvex " << korvex.end();
        int messages = 0;
        const std::optional<std::string> copied = copyAfterKey(korvex, start, 0, 'x', messages);
        ASSERT_TRUE(copied);
        const std::string kept = withoutKeysAtEnd(*copied, 'x');
        const bool whole = kept == text;
        EXPECT_TRUE(whole || (kept.empty() && messages == 1))
            << kept.size() << " bytes of " << text.size() << " kept, " << messages << " messages";
        EXPECT_LE(messages, 1);
        EXPECT_TRUE(shownWindow(QStringLiteral("Korvex21")).isEmpty()) << "a message more";
        EXPECT_TRUE(korvex.closeWithoutSaving()) << "Korvex " << korvex.end();
        if (share == 2) EXPECT_FALSE(whole) << "no shortage at all";
        if (share == 20) EXPECT_TRUE(whole && messages == 0) << "a shortage with ample memory";
        std::cout << outcome.toStdString() << ": "
                  << (messages == 0 ? "ganz" : (whole ? "Kopie aufgegeben" : "Laden aufgegeben")) << std::endl;
    }
}

// "RAll" over a big text, the address space limited a little, more and
// amply above what the program takes then: the text converted whole, or as
// it was with one message.
TEST_F(ProgramOnTheDesktop, RegressionMemoryRunningOutInRAllEndedTheProgram) {
    const std::string text = ::korvex::bench::generateGermanText(kBigText);
    const QString file = inFolder(QStringLiteral("Bericht.txt"));
    ASSERT_TRUE(writeFile(file, QByteArray::fromStdString(text)));
    Korvex korvex(folder.path(), {file});
    ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
    int messages = 0;
    std::optional<std::string> copied = copyAfterKey(korvex, folder.path(), 0, 'x', messages);
    ASSERT_TRUE(copied && *copied == text + 'x' && messages == 0);
    char key = 'a';
    for (const double share : {0.25, 2.0, 12.0}) {
        const QString outcome = QStringLiteral("Grenze: belegt + %1 × Text").arg(share);
        SCOPED_TRACE(outcome.toStdString());
        const std::string before = *copied;
        const std::string converted = ::korvex::convertToHtmlStepByStep(before, ::korvex::HtmlConversion::All);
        const ino_t lastCopy = inodeOf(recoveryCopyPathBelow(folder.path()));
        ASSERT_TRUE(korvex.limitAddressSpace(korvex.addressSpace() + static_cast<qint64>(share * text.size())));
        clickAt(korvex.toolPanel(340, 44));  // "RAll"
        // Its copy or its message; then the key that shows the window's text
        // goes in with the limit lifted, so that it runs short of nothing itself.
        QString message;
        const Next next = waitForNext(korvex, folder.path(), lastCopy, {}, message);
        ASSERT_TRUE(next == Next::Copy || next == Next::Message) << "Korvex " << korvex.end();
        ASSERT_TRUE(korvex.limitAddressSpace(RLIM_INFINITY));
        messages = next == Next::Message ? 1 : 0;
        if (messages) EXPECT_TRUE(dismiss(message, QStringLiteral("Return")));
        copied = copyAfterKey(korvex, folder.path(), inodeOf(recoveryCopyPathBelow(folder.path())), key, messages);
        ASSERT_TRUE(copied);
        const std::string kept = withoutKeysAtEnd(*copied, key++);
        const bool done = kept == converted;
        EXPECT_TRUE(done || (kept == before && messages == 1))
            << kept.size() << " bytes, " << messages << " messages; converted " << converted.size() << ", before "
            << before.size();
        EXPECT_LE(messages, 1);
        if (share == 0.25) EXPECT_FALSE(done) << "no shortage at all";
        if (share == 12.0) EXPECT_TRUE(done && messages == 0) << "a shortage with ample memory";
        std::cout << outcome.toStdString() << ": "
                  << (done ? (messages == 0 ? "umgewandelt" : "umgewandelt, Kopie aufgegeben") : "aufgegeben")
                  << std::endl;
    }
    EXPECT_TRUE(shownWindow(QStringLiteral("Korvex21")).isEmpty()) << "a message more";
    EXPECT_TRUE(korvex.closeWithoutSaving()) << "Korvex " << korvex.end();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
