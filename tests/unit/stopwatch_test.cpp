#include <gtest/gtest.h>

#include <string>

#include "typingtest/stopwatch.h"

using namespace korvex;

namespace {

TickResult running(std::string text) { return {TickOutcome::Running, std::move(text)}; }
const TickResult ended{TickOutcome::Ended, {}};

struct LimitCase {
    const char* field;
    const char* newField;
    int32_t limit;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << '"' << c.field << '"'; }

class StopwatchLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(StopwatchLimit, ReadFromFieldAtGo) {
    Stopwatch watch;
    EXPECT_EQ(watch.go(GetParam().field, 1000), GetParam().newField);
    EXPECT_EQ(watch.limitSeconds(), GetParam().limit);
    EXPECT_TRUE(watch.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Fields, StopwatchLimit,
                         ::testing::Values(LimitCase{"", "600", 600}, LimitCase{"abc", "600", 600},
                                           LimitCase{"9 An.", "600", 600}, LimitCase{"90", "90", 90},
                                           LimitCase{"$10", "16", 16}, LimitCase{"59940", "59940", 59940},
                                           LimitCase{"59941", "59940", 59940}, LimitCase{"70000", "59940", 59940},
                                           LimitCase{"0", "0", 0}, LimitCase{"-5", "-5", -5}));

struct DisplayCase {
    const char* field;
    uint32_t elapsedMs;
    const char* text;
};

void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.field << " at " << c.elapsedMs << " ms"; }

class StopwatchDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(StopwatchDisplay, LimitSlashElapsed) {
    Stopwatch watch;
    watch.go(GetParam().field, 5000);
    EXPECT_EQ(watch.tick(5000 + GetParam().elapsedMs), running(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StopwatchDisplay,
    ::testing::Values(DisplayCase{"600", 65400, "10:00/  1:05"}, DisplayCase{"600", 0, "10:00/  0:00"},
                      DisplayCase{"600", 499, "10:00/  0:00"}, DisplayCase{"600", 500, "10:00/  0:01"},
                      DisplayCase{"600", 600000, "10:00/ 10:00"}, DisplayCase{"70000", 1000, "999:00/  0:01"},
                      DisplayCase{"59940", 6000000, "999:00/100:00"}, DisplayCase{"90", 1000, "1:30/  0:01"},
                      DisplayCase{"65", 9000, "1:05/  0:09"}, DisplayCase{"5", 1000, "0:05/  0:01"}));

TEST(Stopwatch, EndsAtFirstTickPastTheLimit) {
    Stopwatch watch;
    watch.go("90", 0);
    EXPECT_EQ(watch.tick(90000), running("1:30/  1:30"));
    EXPECT_EQ(watch.tick(90001), ended);
    EXPECT_FALSE(watch.isRunning());
    EXPECT_EQ(watch.accumulatedMs(), 0u);
    EXPECT_EQ(watch.tick(91000).outcome, TickOutcome::Idle);
}

TEST(Stopwatch, NonPositiveLimitEndsAtFirstTick) {
    for (const char* field : {"0", "-5"}) {
        Stopwatch watch;
        watch.go(field, 100);
        EXPECT_EQ(watch.tick(101), ended) << field;
    }
}

TEST(Stopwatch, PauseAndResumeContinueTheTime) {
    Stopwatch watch;
    watch.go("600", 1000);
    watch.stop(31000);
    EXPECT_EQ(watch.accumulatedMs(), 30000u);
    EXPECT_EQ(watch.tick(500000).outcome, TickOutcome::Idle);
    // The field is read-only during a pause, but a resume must not re-read it anyway.
    EXPECT_EQ(watch.go("90", 200000), "600");
    EXPECT_EQ(watch.tick(200400), running("10:00/  0:30"));
    EXPECT_EQ(watch.tick(215000), running("10:00/  0:45"));
}

TEST(Stopwatch, SecondStopDuringPauseAddsNothing) {
    Stopwatch watch;
    watch.go("600", 0);
    watch.stop(10000);
    watch.stop(70000);
    EXPECT_EQ(watch.accumulatedMs(), 10000u);
    EXPECT_EQ(watch.stopTick(), 10000u);
    watch.go("600", 80000);
    EXPECT_EQ(watch.tick(81000), running("10:00/  0:11"));
}

TEST(Stopwatch, StopBeforeAnyGoAddsNothing) {
    Stopwatch watch;
    watch.stop(700000);
    EXPECT_EQ(watch.accumulatedMs(), 0u);
    EXPECT_EQ(watch.go("90", 800000), "90");
    EXPECT_EQ(watch.tick(800100), running("1:30/  0:00"));
}

TEST(Stopwatch, GoWhileRunningKeepsTheRun) {
    Stopwatch watch;
    watch.go("90", 1000);
    EXPECT_EQ(watch.go("30", 50000), "30");
    EXPECT_EQ(watch.startTick(), 1000u);
    EXPECT_EQ(watch.limitSeconds(), 90);
    EXPECT_EQ(watch.tick(61000), running("1:30/  1:00"));
}

TEST(Stopwatch, GoAfterTheEndReadsTheCountAsDefaultLimit) {
    Stopwatch watch;
    watch.go("90", 0);
    ASSERT_EQ(watch.tick(95000), ended);
    const std::string field = endOfTestText(9);
    EXPECT_EQ(field, "9 An.");
    EXPECT_EQ(watch.go(field, 100000), "600");
    EXPECT_EQ(watch.limitSeconds(), 600);
    EXPECT_EQ(watch.tick(102000), running("10:00/  0:02"));
}

TEST(Stopwatch, ResetStartsANewTest) {
    Stopwatch watch;
    watch.go("600", 0);
    watch.stop(20000);
    EXPECT_EQ(watch.reset(), "600");
    EXPECT_FALSE(watch.isRunning());
    EXPECT_EQ(watch.accumulatedMs(), 0u);
    EXPECT_EQ(watch.go("90", 30000), "90");
    EXPECT_EQ(watch.tick(31000), running("1:30/  0:01"));
}

TEST(Stopwatch, SurvivesTheTickWrapAround) {
    Stopwatch watch;
    watch.go("600", 0xFFFFF000u);
    EXPECT_EQ(watch.tick(0x00000FA0u), running("10:00/  0:08"));  // 8096 ms
    watch.stop(0x00002000u);
    EXPECT_EQ(watch.accumulatedMs(), 0x3000u);
}

TEST(Stopwatch, EndText) {
    EXPECT_EQ(endOfTestText(0), "0 An.");
    EXPECT_EQ(endOfTestText(12345678901LL), "12345678901 An.");
}

TEST(StopwatchColours, OnlyYellowIsSwapped) {
    const Colour cream = colours::Cream;
    EXPECT_EQ(coloursForRun(colours::Yellow, colours::Yellow), (RunColours{colours::Yellow, colours::Window}));
    EXPECT_EQ(coloursForRun(cream, cream), (RunColours{cream, cream}));
    EXPECT_EQ(coloursForRun(colours::Window, colours::Yellow), (RunColours{colours::Window, colours::Yellow}));
}

TEST(StopwatchColours, YellowAfterPauseBecomesWindowBackground) {
    // The window shows WindowColor; every GO applies the rule; RST shows WindowColor again.
    const RunColours once = coloursForRun(colours::Yellow, colours::Yellow);
    EXPECT_EQ(once.windowColour, colours::Yellow);
    const RunColours resumed = coloursForRun(once.windowColour, once.textWindowColour);
    EXPECT_EQ(resumed.windowColour, colours::Window);
    EXPECT_EQ(resumed.textWindowColour, colours::Window);
}

}  // namespace
