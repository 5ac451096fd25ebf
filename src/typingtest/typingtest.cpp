#include "typingtest/typingtest.h"

#include <QLineEdit>
#include <QTimer>

#include "app/uKorvex21.h"
#include "platform/platform.h"
#include "widgets/qtconvert.h"
#include "widgets/textwindow.h"

namespace korvex::typingtest {

namespace {

void setTextWindowBackground(TForm1& form, Colour background) {
    ControlColours colours = form.MemArbeitsfenster->colours();
    colours.background = background;
    form.MemArbeitsfenster->setColours(colours);
}

}  // namespace

void start(TForm1& form) {
    // A second GO while the test runs must not restart the clock.
    if (!form.Stopper.isRunning()) {
        const std::string field = form.Stopper.go(toCp1252(form.EdiTime->text()), form.platform().tickMs());
        form.EdiTime->setText(fromCp1252(field));
        form.TimStopper->start();
        const RunColours run = coloursForRun(form.WindowColor, form.MemArbeitsfenster->colours().background);
        form.WindowColor = run.windowColor;
        setTextWindowBackground(form, run.textWindowColour);
    }
    form.FocusTextWindow();
}

void stop(TForm1& form) {
    form.Stopper.stop(form.platform().tickMs());
    if (form.TimStopper->isActive()) form.TimStopper->stop();
    form.FocusTextWindow();
}

void reset(TForm1& form) {
    form.TimStopper->stop();
    // Only RST unlocks a text window locked by the end of a test.
    form.MemArbeitsfenster->setReadOnly(false);
    setTextWindowBackground(form, form.WindowColor);
    form.FocusTextWindow();
    form.EdiTime->setText(fromCp1252(form.Stopper.reset()));
}

void timerTick(TForm1& form) {
    const TickResult result = form.Stopper.tick(form.platform().tickMs());
    switch (result.outcome) {
        case TickOutcome::Running: form.EdiTime->setText(fromCp1252(result.fieldText)); break;
        case TickOutcome::Ended:
            form.MemArbeitsfenster->setReadOnly(true);
            setTextWindowBackground(form, StopEndColour);
            form.TimStopper->stop();
            form.EdiTime->setText(fromCp1252(endOfTestText(Anschlaege(form))));
            break;
        case TickOutcome::Idle: break;
    }
}

long long Anschlaege(const TForm1& form) { return form.MemArbeitsfenster->characterCount(); }

}  // namespace korvex::typingtest
