#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QPlainTextEdit;

namespace korvex::bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);
// The processor time the calling thread has used so far, in seconds: on a
// busy machine what a piece of work cost, apart from how long it waited.
double threadCpuSeconds();

// How long a window does not answer, as a person feels it: a timer due every
// millisecond notes the longest time between two of its calls, which is the
// event loop's longest gap (work on the GUI thread, whether called from the
// loop or from the measuring code, both count).
class FreezeWatch : public QObject {
public:
    FreezeWatch();
    void start();
    // The longest gap since start, in ms.
    double stop();
    // Called on every tick, e.g. to note when a label changed.
    void onTick(std::function<void(Clock::time_point)> look) { look_ = std::move(look); }

private:
    void tick();

    QTimer timer_;
    Clock::time_point last_;
    double longest_ = 0;
    std::function<void(Clock::time_point)> look_;
};

// Lets the event loop run for the time given (it sleeps while nothing is due).
void runEventsFor(double seconds);
// Lets it run until `done` says so, at most for the time given; true when done.
bool runEventsUntil(const std::function<bool()>& done, double atMostSeconds);

// Notes when an editor's viewport is first painted with its text laid out at
// the viewport's present width (the text re-wrapped after a width change).
class RewrapSeen : public QObject {
public:
    explicit RewrapSeen(QPlainTextEdit& edit);
    ~RewrapSeen() override;
    // From now on, the next paint at the present width counts.
    void arm() { seen_ = false; }
    bool seen() const { return seen_; }
    Clock::time_point when() const { return when_; }

protected:
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    bool wrapsAtPresentWidth() const;

    QPlainTextEdit& edit_;
    bool seen_ = true;
    Clock::time_point when_;
};

}  // namespace korvex::bench
