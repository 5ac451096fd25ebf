#include "typingtest/stopwatch.h"

#include "base/kxerror.h"

namespace korvex {
namespace {

std::string twoDigits(long long value) {
    std::string digits = std::to_string(value);
    if (value < 10) digits.insert(0, 1, '0');
    return digits;
}

// "10:00/  1:05": the limit, then the elapsed time rounded to whole seconds
// with the minutes right-aligned in three places.
std::string displayText(int32_t limitSeconds, uint32_t elapsedMs) {
    const long long seconds = (static_cast<long long>(elapsedMs) + 500) / 1000;
    const long long minutes = seconds / 60;
    std::string text = std::to_string(limitSeconds / 60) + ":" + twoDigits(limitSeconds % 60) + "/";
    if (minutes < 100) text += ' ';
    if (minutes < 10) text += ' ';
    return text + std::to_string(minutes) + ":" + twoDigits(seconds % 60);
}

int32_t readLimit(std::string_view fieldText) {
    try {
        return textToInteger(fieldText);
    } catch (const KxError&) {
        // The field may still hold the count of the last test ("9 An.").
        return StopDefaultLimitSeconds;
    }
}

}  // namespace

void PrintTo(const TickResult& result, std::ostream* os) {
    static constexpr const char* names[] = {"Running", "Ended", "Idle"};
    *os << names[static_cast<int>(result.outcome)] << " \"" << result.fieldText << '"';
}

void PrintTo(RunColours colours, std::ostream* os) {
    *os << "window " << colourToText(colours.windowColour) << ", text window "
        << colourToText(colours.textWindowColour);
}

RunColours coloursForRun(Colour windowColour, Colour textWindowColour) {
    if (windowColour != StopEndColour) return {windowColour, textWindowColour};
    return {textWindowColour, StopWorkingColour};
}

std::string endOfTestText(long long keystrokes) { return std::to_string(keystrokes) + " An."; }

std::string Stopwatch::go(std::string_view fieldText, uint32_t now) {
    if (running) return std::string(fieldText);
    if (fieldText.empty()) fieldText = StopDefaultLimitText;
    // A resumed test keeps the limit it started with.
    if (StopAccumulatedMs == 0) StopLimitSeconds = readLimit(fieldText);
    if (StopLimitSeconds > StopLargestLimitSeconds) StopLimitSeconds = StopLargestLimitSeconds;
    StopStartTick = now;
    running = true;
    return integerToText(StopLimitSeconds);
}

void Stopwatch::stop(uint32_t now) {
    if (!running) return;
    StopStopTick = now;
    running = false;
    StopAccumulatedMs += StopStopTick - StopStartTick;
}

std::string Stopwatch::reset() {
    running = false;
    StopAccumulatedMs = 0;
    return std::string(StopDefaultLimitText);
}

TickResult Stopwatch::tick(uint32_t now) {
    if (!running) return {TickOutcome::Idle, {}};
    // Unsigned subtraction keeps this right across the wrap of the tick count.
    const uint32_t elapsed = (now - StopStartTick) + StopAccumulatedMs;
    if (static_cast<int64_t>(elapsed) > static_cast<int64_t>(StopLimitSeconds) * 1000) {
        running = false;
        StopAccumulatedMs = 0;
        return {TickOutcome::Ended, {}};
    }
    return {TickOutcome::Running, displayText(StopLimitSeconds, elapsed)};
}

}  // namespace korvex
