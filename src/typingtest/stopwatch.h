#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "base/textforms.h"

namespace korvex {

inline constexpr int32_t StopDefaultLimitSeconds = 600;
inline constexpr std::string_view StopDefaultLimitText = "600";
inline constexpr int32_t StopLargestLimitSeconds = 59940;  // 999 minutes
inline constexpr Colour StopEndColour = colours::Yellow;
inline constexpr Colour StopWorkingColour = colours::Window;

enum class TickOutcome {
    Running,  // show fieldText
    Ended,    // the time is up; the window shows the keystroke count
    Idle,     // not running (a late tick after STP or the end); nothing to do
};

struct TickResult {
    TickOutcome outcome = TickOutcome::Idle;
    std::string fieldText;

    friend bool operator==(const TickResult&, const TickResult&) = default;
};

void PrintTo(const TickResult& result, std::ostream* os);

// Yellow is also the colour that marks the end of a test, so a user who chose
// yellow gets the system window background while typing.
struct RunColours {
    Colour windowColour;
    Colour textWindowColour;

    friend constexpr bool operator==(RunColours, RunColours) = default;
};

void PrintTo(RunColours colours, std::ostream* os);

// Applied at every GO that starts or resumes a run.
RunColours coloursForRun(Colour windowColour, Colour textWindowColour);

// "9 An." - the keystrokes of a finished test, shown in the time field.
std::string endOfTestText(long long keystrokes);

// The typing-test stopwatch, fed with a 32-bit millisecond tick that may wrap.
// The window owns the timer, the time field and the colours; this class only
// decides what they should show.
class Stopwatch {
public:
    // Starts a new test or resumes a paused one; returns the new field text.
    // While running it changes nothing and returns fieldText unchanged.
    std::string go(std::string_view fieldText, uint32_t now);

    // Pauses a running test; does nothing otherwise.
    void stop(uint32_t now);

    // Back to a new test; returns the field text.
    std::string reset();

    TickResult tick(uint32_t now);

    bool isRunning() const { return running; }
    uint32_t startTick() const { return StopStartTick; }
    uint32_t stopTick() const { return StopStopTick; }
    uint32_t accumulatedMs() const { return StopAccumulatedMs; }
    int32_t limitSeconds() const { return StopLimitSeconds; }

private:
    bool running = false;
    uint32_t StopStartTick = 0;
    uint32_t StopStopTick = 0;
    uint32_t StopAccumulatedMs = 0;
    int32_t StopLimitSeconds = StopDefaultLimitSeconds;
};

}  // namespace korvex
