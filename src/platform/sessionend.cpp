#include "platform/sessionend.h"

#include <QSocketNotifier>
#include <QtGlobal>
#include <cstdlib>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace korvex {
namespace {

// The one whose `keep` runs should the process end by exit() meanwhile.
SessionEnd* armed = nullptr;

}  // namespace

// The display's connection broke: Qt calls exit(), which runs this while
// the windows still live. After a normal end nothing is armed any more.
void SessionEnd::keepAtExit() {
    SessionEnd* const end = std::exchange(armed, nullptr);
    if (end) end->keep_();
}

#ifdef Q_OS_UNIX

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Where the handler tells the event loop which signal came.
volatile std::sig_atomic_t wakeEnd = -1;
volatile std::sig_atomic_t signalled = 0;

void noteSignal(int signal) {
    if (signalled) {  // again before the event loop took the first (a program that hangs): at once
        std::signal(signal, SIG_DFL);
        raise(signal);
        return;
    }
    signalled = 1;
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(wakeEnd, &byte, 1);
    errno = saved;
}

void handleEndSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndSignals) sigaction(signal, &action, nullptr);
}

// The signals as they come, read between events.
int watchEndSignals() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;  // no pipe: they end the program at once, as before
    wakeEnd = ends[1];
    handleEndSignals(noteSignal);
    return ends[0];
}

void unwatchEndSignals(int readEnd) {
    handleEndSignals(SIG_DFL);
    close(wakeEnd);
    wakeEnd = -1;
    close(readEnd);
}

}  // namespace

void SessionEnd::endBySignal() {
    unsigned char signal = 0;
    if (read(readEnd_, &signal, 1) != 1) return;
    armed = nullptr;
    keep_();
    handleEndSignals(SIG_DFL);
    raise(signal);
}

#else

namespace {
int watchEndSignals() { return -1; }
void unwatchEndSignals(int) {}
}  // namespace

void SessionEnd::endBySignal() {}

#endif

SessionEnd::SessionEnd(std::function<void()> keep) : keep_(std::move(keep)) {
    static const bool registered = std::atexit(keepAtExit) == 0;
    if (registered) armed = this;
    readEnd_ = watchEndSignals();
    if (readEnd_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { endBySignal(); });
}

SessionEnd::~SessionEnd() {
    if (armed == this) armed = nullptr;
    notifier_.reset();
    if (readEnd_ >= 0) unwatchEndSignals(readEnd_);
}

}  // namespace korvex
