#include "typingtest/typingtest.h"

#include "display/documenttext.h"
#include "display/textprimitives.h"
#include "platform/platform.h"
#include "typingtest/stopwatch.h"

namespace korvex::typingtest {

namespace {

void setTextWindowBackground(MainWindow& window, Colour background) {
    TextPrimitives& textWindow = window.textWindow();
    ControlColours colours = textWindow.colours();
    colours.background = background;
    textWindow.setColours(colours);
}

}  // namespace

void start(MainWindow& window) {
    // A second GO while the test runs must not restart the clock.
    if (!window.stopwatch().isRunning()) {
        Stopwatch stopper = window.stopwatch();
        const std::string fieldText = stopper.go(toCp1252(window.timeFieldText()), window.platform().tickMs());
        window.keepStopwatch(stopper);
        window.showInTimeField(fromCp1252(fieldText));
        window.startTicking();
        const RunColours run = coloursForRun(window.windowColour(), window.textWindow().colours().background);
        window.rememberWindowColour(run.windowColour);
        setTextWindowBackground(window, run.textWindowColour);
    }
    window.focusTextWindow();
}

void stop(MainWindow& window) {
    Stopwatch stopper = window.stopwatch();
    stopper.stop(window.platform().tickMs());
    window.keepStopwatch(stopper);
    window.stopTicking();
    window.focusTextWindow();
}

void reset(MainWindow& window) {
    window.stopTicking();
    // Only RST unlocks a text window locked by the end of a test.
    window.textWindow().setLocked(false);
    setTextWindowBackground(window, window.windowColour());
    window.focusTextWindow();
    Stopwatch stopper = window.stopwatch();
    const std::string fieldText = stopper.reset();
    window.keepStopwatch(stopper);
    window.showInTimeField(fromCp1252(fieldText));
}

void timerTick(MainWindow& window) {
    Stopwatch stopper = window.stopwatch();
    const TickResult result = stopper.tick(window.platform().tickMs());
    window.keepStopwatch(stopper);
    switch (result.outcome) {
        case TickOutcome::Running: window.showInTimeField(fromCp1252(result.fieldText)); break;
        case TickOutcome::Ended:
            window.textWindow().setLocked(true);
            setTextWindowBackground(window, StopEndColour);
            window.stopTicking();
            window.showInTimeField(fromCp1252(endOfTestText(Anschlaege(window))));
            break;
        case TickOutcome::Idle: break;
    }
}

long long Anschlaege(const MainWindow& window) { return window.textWindow().characterCount(); }

}  // namespace korvex::typingtest
