// The typing test on the main window: GO, STP, RST and the timer tick, driven
// by the fake clock (the tick handler is called instead of waiting a second).
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/uKorvex21.h"
#include "dialogs/uPhrasen.h"
#include "display/documenttext.h"
#include "display/screencolours.h"
#include "support/mainwindowfixture.h"
#include "support/waiting.h"

namespace korvex::testing {
namespace {

class TypingTestTest : public MainWindowTest {
protected:
    void go() { click(form().ButStart); }
    void stp() { click(form().ButStop); }
    void rst() { click(form().ButReset); }
    void tickAt(uint32_t ms) {
        platform.tick = ms;
        form().TimStopperTimer();
    }
    QString field() const { return windows.Form1->EdiTime->text(); }
    void setField(const QString& text) { form().EdiTime->setText(text); }
    QColor background() { return memo().palette().color(QPalette::Base); }
    void chooseYellowWindow() { form().chooseWindowColour(colours::Yellow); }
    // A test of `limit` seconds started at tick 0 and run to its end.
    void runToEnd(const QString& limit) {
        setField(limit);
        platform.tick = 0;
        go();
        tickAt(static_cast<uint32_t>(limit.toInt()) * 1000 + 1000);
    }
};

TEST_F(TypingTestTest, GoReadsTheLimitFromTheField) {
    setField(QString());
    go();
    EXPECT_EQ(field(), "600");
    EXPECT_TRUE(form().TimStopper->isActive());
    EXPECT_EQ(QApplication::focusWidget(), &memo());
    rst();

    setField("abc");
    go();
    EXPECT_EQ(field(), "600");
    rst();

    // More than 999 minutes is cut to 999 minutes.
    setField("70000");
    platform.tick = 5000;
    go();
    EXPECT_EQ(field(), "59940");
    tickAt(6000);
    EXPECT_EQ(field(), "999:00/  0:01");
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

TEST_F(TypingTestTest, TheEndLocksTheTextWindowAndShowsTheKeystrokes) {
    memo().loadBytes("abcde\r\nfghi");
    setField("90");
    platform.tick = 0;
    go();
    tickAt(1000);
    EXPECT_EQ(field(), "1:30/  0:01");
    tickAt(90000);
    EXPECT_EQ(field(), "1:30/  1:30");
    EXPECT_FALSE(memo().isReadOnly());

    tickAt(91000);
    EXPECT_EQ(field(), "9 An.");
    EXPECT_TRUE(memo().isReadOnly());
    EXPECT_EQ(background(), toQColor(colours::Yellow));
    EXPECT_FALSE(form().TimStopper->isActive());
    // Typing does not reach the locked text.
    QTest::keyClicks(&memo(), "xyz");
    EXPECT_EQ(memo().text(), "abcde\r\nfghi");

    // A late tick changes nothing, and GO does not unlock; only RST does.
    tickAt(92000);
    EXPECT_EQ(field(), "9 An.");
    go();
    EXPECT_TRUE(memo().isReadOnly());
    rst();
    EXPECT_FALSE(memo().isReadOnly());
    EXPECT_EQ(background(), toQColor(form().windowColour()));
    EXPECT_EQ(field(), "600");
    EXPECT_FALSE(form().TimStopper->isActive());
    EXPECT_EQ(QApplication::focusWidget(), &memo());
}

TEST_F(TypingTestTest, PauseKeepsTheTimeAndResumeGoesOn) {
    setField("60");
    platform.tick = 0;
    go();
    tickAt(10000);
    EXPECT_EQ(field(), "1:00/  0:10");
    platform.tick = 20000;
    stp();
    EXPECT_FALSE(form().TimStopper->isActive());
    EXPECT_EQ(QApplication::focusWidget(), &memo());
    tickAt(100000);  // a tick after the pause does nothing
    EXPECT_EQ(field(), "1:00/  0:10");

    platform.tick = 100000;
    go();
    EXPECT_EQ(field(), "60");  // the limit of the paused test, shown again
    EXPECT_TRUE(form().TimStopper->isActive());
    tickAt(130000);
    EXPECT_EQ(field(), "1:00/  0:50");
    tickAt(140000);
    EXPECT_EQ(field(), "1:00/  1:00");
    tickAt(140001);
    EXPECT_EQ(field(), "0 An.");
    EXPECT_TRUE(memo().isReadOnly());
}

TEST_F(TypingTestTest, GoDuringARunDoesNotRestart) {
    setField("60");
    platform.tick = 0;
    go();
    tickAt(30000);
    form().ButStart->setFocus();
    platform.tick = 40000;
    go();
    EXPECT_EQ(field(), "1:00/  0:30");
    EXPECT_EQ(QApplication::focusWidget(), &memo());
    tickAt(61000);
    EXPECT_EQ(field(), "0 An.");
}

TEST_F(TypingTestTest, StopBeforeAnyGoDoesNotEndTheNextTestEarly) {
    platform.tick = 500000;
    stp();
    setField("60");
    platform.tick = 1000000;
    go();
    tickAt(1001000);
    EXPECT_EQ(field(), "1:00/  0:01");
    EXPECT_FALSE(memo().isReadOnly());
}

TEST_F(TypingTestTest, RunsAcrossTheWrapOfTheTickCount) {
    setField("60");
    platform.tick = 0xFFFFF000u;
    go();
    tickAt(0x00001000u);
    EXPECT_EQ(field(), "1:00/  0:08");
}

TEST_F(TypingTestTest, OrdinaryWindowColourStaysThroughARun) {
    const Colour chosen = form().windowColour();
    ASSERT_NE(chosen, colours::Yellow);
    runToEnd("5");
    EXPECT_EQ(background(), toQColor(colours::Yellow));
    rst();
    EXPECT_EQ(form().windowColour(), chosen);
    EXPECT_EQ(background(), toQColor(chosen));
}

TEST_F(TypingTestTest, YellowWindowIsSystemColouredWhileTyping) {
    chooseYellowWindow();
    const QColor textColour = memo().palette().color(QPalette::Text);
    setField("5");
    platform.tick = 0;
    go();
    EXPECT_EQ(background(), toQColor(colours::Window));
    EXPECT_EQ(memo().palette().color(QPalette::Text), textColour);
    tickAt(6000);
    EXPECT_EQ(background(), toQColor(colours::Yellow));
    rst();
    // Without a pause the user's yellow comes back.
    EXPECT_EQ(form().windowColour(), colours::Yellow);
    EXPECT_EQ(background(), toQColor(colours::Yellow));
}

TEST_F(TypingTestTest, YellowWindowAfterAPauseComesBackSystemColoured) {
    chooseYellowWindow();
    setField("5");
    platform.tick = 0;
    go();
    platform.tick = 1000;
    stp();
    platform.tick = 2000;
    go();
    EXPECT_EQ(background(), toQColor(colours::Window));
    tickAt(7000);
    EXPECT_EQ(background(), toQColor(colours::Yellow));
    rst();
    EXPECT_EQ(form().windowColour(), colours::Window);
    EXPECT_EQ(background(), toQColor(colours::Window));
}

TEST_F(TypingTestTest, LockedTextWindowKeepsItsTextAgainstEveryCommand) {
    const std::string result =
        "Gr\xF6\xDF"
        "e <b>&</b>\r\nzwei";
    memo().loadBytes(result);
    runToEnd("5");
    ASSERT_TRUE(memo().isReadOnly());
    form().markSaved();
    const auto keys = [this](Qt::Key key) { QTest::keyClick(&memo(), key, Qt::ControlModifier); };
    const auto openPhrases = [this] {
        click(form().ButPhrasen);
        ASSERT_TRUE(QTest::qWaitForWindowActive(windows.Form3, kPatienceMs));
        windows.Form3->MemPhrasen->selectAll();
    };
    // Keys in the text window clear the saved flag like any character key; the buttons leave it.
    struct Command {
        const char* name;
        bool key;
        std::function<void()> run;
    };
    const std::vector<Command> commands = {
        {"X", false, [this] { click(form().ButX); }},
        {"E", false, [this] { click(form().ButE); }},
        {"Dat", false, [this] { click(form().ButDatum); }},
        {"Repl", false, [this] { click(form().ButReplace); }},
        {"RAll", false, [this] { click(form().ButReplaceAll); }},
        {"Strg+X", true, [&] { keys(Qt::Key_X); }},
        {"Strg+V", true, [&] { keys(Qt::Key_V); }},
        {"Strg+Z", true, [&] { keys(Qt::Key_Z); }},
        {"Phrase einfügen", false,
         [&] {
             openPhrases();
             click(windows.Form3->ButPhrEinf);
         }},
        {"Einfüg. üb. Zw'ablage", false,
         [&] {
             openPhrases();
             click(windows.Form3->Button1);
         }},
    };
    for (const Command& command : commands) {
        QGuiApplication::clipboard()->setText(QStringLiteral("fremd"));
        memo().selectAll();
        form().markSaved();
        command.run();
        EXPECT_EQ(memo().text(), result) << command.name;
        EXPECT_TRUE(form().isSaved() || command.key) << command.name;
    }
    windows.Form3->close();
    // Copying still works.
    memo().selectAll();
    click(form().ButC);
    EXPECT_EQ(toCp1252(QGuiApplication::clipboard()->text()),
              "Gr\xF6\xDF"
              "e <b>&</b>\nzwei");
}

}  // namespace
}  // namespace korvex::testing
