#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace korvex {

// The ways the program is ended without being asked: a signal (SIGTERM at
// a logout, a shutdown or a `kill`, SIGHUP when its terminal closes, SIGINT
// for Ctrl+C there), or the display going away at the end of a session
// (Qt then ends the process at once). `keep` runs first, on the GUI thread:
// so the keys typed in the last second, which the recovery copy has not
// taken yet, are not lost. After a signal the program then ends by it, as it
// would have at once; a second signal before the first is taken (a program
// that hangs) ends it at once. One at a time; the signals are left alone
// where there are none (Windows).
class SessionEnd {
public:
    explicit SessionEnd(std::function<void()> keep);
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

private:
    static void keepAtExit();
    void endBySignal();

    std::function<void()> keep_;
    int readEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace korvex
