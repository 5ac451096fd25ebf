#pragma once

#include "base/textforms.h"
#include "intentions/mainwindowintentions.h"

namespace korvex {
class Stopwatch;
}

namespace korvex::typingtest {

// The main window as the typing test sees it: its stopwatch, the time
// field, the ticks, and the window colour the text window gets back at RST.
class MainWindow : public virtual MainWindowIntentions {
public:
    // "Stopper" as it stands; a command works on a copy and has the window keep it.
    virtual const Stopwatch& stopwatch() const = 0;
    virtual void keepStopwatch(const Stopwatch& stopper) = 0;
    // "EdiTime": the limit typed in, then the time left, then the keystrokes.
    virtual QString timeFieldText() const = 0;
    virtual void showInTimeField(const QString& text) = 0;
    // "TimStopper": a tick every second until stopped.
    virtual void startTicking() = 0;
    virtual void stopTicking() = 0;
    // The window colour the user chose ("WindowColor").
    virtual Colour windowColour() const = 0;
    // Keeps `colour` as the window colour without showing it anywhere.
    virtual void rememberWindowColour(Colour colour) = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::typingtest
