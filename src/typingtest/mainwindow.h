#pragma once

#include "base/textforms.h"
#include "intentions/mainwindowintentions.h"

class QLineEdit;
class QTimer;

namespace korvex {
class Stopwatch;
}

namespace korvex::typingtest {

// The main window as the typing test sees it: the stopwatch with its field
// and timer, and the window colour that the text window gets back at RST.
class MainWindow : public virtual MainWindowIntentions {
public:
    virtual Stopwatch& stopwatch() = 0;          // "Stopper"
    virtual QLineEdit& timeField() const = 0;    // "EdiTime": the limit, the time, the keystrokes
    virtual QTimer& stopwatchTimer() const = 0;  // "TimStopper"
    // The window colour the user chose ("WindowColor").
    virtual Colour& windowColour() = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::typingtest
