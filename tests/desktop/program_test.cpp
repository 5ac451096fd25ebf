// The real program on a desktop with a window manager (run-on-xvfb starts
// one), driven as a user drives it: started in a folder, clicked at through
// the X server, closed with "EX".
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <optional>

namespace {

constexpr int kPatienceMs = 15000;

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

void pause(int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

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

// A window framed by the window manager, with a place that stays put.
QRect outerOnceFramed(const QString& window) {
    QElapsedTimer clock;
    clock.start();
    QRect last;
    while (clock.elapsed() < kPatienceMs) {
        const auto frame = frameExtents(window);
        const QRect outer = frame ? clientArea(window).marginsAdded(*frame) : QRect();
        if (frame && outer == last) return outer;
        last = outer;
        pause(100);
    }
    return {};
}

void clickAt(QPoint onScreen) {
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(onScreen.x()),
                                    QString::number(onScreen.y()), QStringLiteral("click"), QStringLiteral("1")});
    pause(300);
}

// A key sent to one window, and a moment for it to be taken.
void pressOn(const QString& window, const QString& key) {
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"), window, key});
    pause(300);
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
        outer = outerOnceFramed(window);
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

    QString window;
    QRect outer;   // the frame's rectangle, as the window manager placed it
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
        EXPECT_EQ(korvex.outer, QRect(214, 71, 654, 649));
        EXPECT_LT(korvex.client.width(), korvex.outer.width());
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
        if (round == 2) EXPECT_EQ(korvex.outer, smallest);
        smallest = korvex.outer;
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
    pause(300);
    const auto info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), *window}, display.environment);
    ASSERT_TRUE(info);
    const auto value = [&info](const char* label) {
        return info->section(QString::fromLatin1(label), 1).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    EXPECT_GE(value("Absolute upper-left Y:"), 0);
    EXPECT_LE(value("Absolute upper-left Y:") + value("Height:"), 614);
    EXPECT_LE(value("Absolute upper-left X:") + value("Width:"), 1093);
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
    pressOn(message, QStringLiteral("Return"));

    // The main window closed from its frame: the save question is the main window's.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), korvex.window,
                                    QStringLiteral("key"), QStringLiteral("alt+F4")});
    const QString question = waitForWindow(QStringLiteral("KxMessageDialog"));
    ASSERT_FALSE(question.isEmpty()) << "no save question";
    EXPECT_TRUE(above(question));
    pressOn(question, QStringLiteral("Escape"));

    // The phrase editor's own question, on closing it with phrases another Korvex saved meanwhile.
    clickAt(clientArea(phrases).center());
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("Gruss")});
    ASSERT_TRUE(writeFile(inFolder(QStringLiteral("KorvexPhrasen.txt")), "Von anderswo\r\n"));
    clickAt(clientArea(phrases).bottomLeft() + QPoint(348, -20));  // "Abbrechen"
    const QString phraseQuestion = waitForWindow(QStringLiteral("KxMessageDialog"));
    ASSERT_FALSE(phraseQuestion.isEmpty()) << "no question from the phrase editor";
    EXPECT_TRUE(above(phraseQuestion));
    pressOn(phraseQuestion, QStringLiteral("Escape"));
}

TEST_F(ProgramOnTheDesktop, RegressionSystemDialogsSpokeEnglish) {
    Korvex korvex(folder.path());
    ASSERT_FALSE(korvex.window.isEmpty()) << "no window";
    clickAt(korvex.toolPanel(48, 40));  // "Öffnen"
    const QString dialog = waitForWindow(QStringLiteral("Öffnen"));
    EXPECT_FALSE(dialog.isEmpty()) << "no dialog titled \"Öffnen\"";
    if (!dialog.isEmpty()) {
        pressOn(dialog, QStringLiteral("Escape"));
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
    const QString copyPath = inFolder(QStringLiteral("Korvex23Wiederherstellung-1.txt"));
    QByteArray copy;
    for (QDeadlineTimer patience(60'000); !copy.contains("Text neu") && !patience.hasExpired(); pause(100)) {
        copy = readFile(copyPath);
    }
    EXPECT_TRUE(copy.contains("Text neu")) << copy.constData();
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
    pause(300);  // the keys taken, the copy of the typing pause not yet due
    display.stop();
    ASSERT_TRUE(korvex.waitForFinished(kPatienceMs));
    EXPECT_TRUE(
        readFile(inFolder(QStringLiteral("Korvex23Wiederherstellung-1.txt"))).contains("Bis zum Ende der Sitzung"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
