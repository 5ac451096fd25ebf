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
#include <optional>
#include <utility>

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

// The X window of that exact title, once the server shows it.
QString waitForWindow(const QString& title) {
    const auto found = run(QStringLiteral("xdotool"),
                           {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--name"), QLatin1Char('^') + QRegularExpression::escape(title) + '$'});
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

// The text of the recovery copy the program keeps below `folder` (its data folder is there too).
QByteArray recoveryCopyBelow(const QString& folder) {
    QDirIterator copies(folder, {QStringLiteral("Korvex23Wiederherstellung-1.txt")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
    if (!copies.hasNext()) return {};
    QFile copy(copies.next());
    return copy.open(QIODevice::ReadOnly) ? copy.readAll() : QByteArray();
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

// Korvex21 started in a folder, as from a terminal there.
class Korvex {
public:
    explicit Korvex(const QString& folder, const QStringList& arguments = {}) {
        process_.setWorkingDirectory(folder);
        process_.setProcessEnvironment(environmentIn(folder));
        process_.start(program(), arguments);
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
    // The program has ended without a fault.
    bool ended() { return process_.waitForFinished(kPatienceMs) && process_.exitCode() == 0; }
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

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
