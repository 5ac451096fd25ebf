#include "freezes.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <ctime>

namespace korvex::bench {

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

FreezeWatch::FreezeWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void FreezeWatch::start() {
    longest_ = 0;
    last_ = Clock::now();
    timer_.start();
}

double FreezeWatch::stop() {
    tick();
    timer_.stop();
    return longest_ * 1e3;
}

void FreezeWatch::tick() {
    const Clock::time_point now = Clock::now();
    longest_ = std::max(longest_, std::chrono::duration<double>(now - last_).count());
    last_ = now;
    if (look_) look_(now);
}

void runEventsFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1e3), &loop, &QEventLoop::quit);
    loop.exec();
}

bool runEventsUntil(const std::function<bool()>& done, double atMostSeconds) {
    const Clock::time_point start = Clock::now();
    while (!done()) {
        if (secondsSince(start) > atMostSeconds) return false;
        runEventsFor(0.002);
    }
    return true;
}

RewrapSeen::RewrapSeen(QPlainTextEdit& edit) : edit_(edit) { edit_.viewport()->installEventFilter(this); }

RewrapSeen::~RewrapSeen() { edit_.viewport()->removeEventFilter(this); }

bool RewrapSeen::eventFilter(QObject* /*target*/, QEvent* event) {
    if (event->type() == QEvent::Paint && !seen_ && wrapsAtPresentWidth()) {
        seen_ = true;
        when_ = Clock::now();
    }
    return false;
}

// The top block's first line has the width Qt gives a line at the viewport's width.
bool RewrapSeen::wrapsAtPresentWidth() const {
    const QTextBlock block = edit_.cursorForPosition(QPoint(0, 0)).block();
    const QTextDocument& doc = *edit_.document();
    doc.documentLayout()->blockBoundingRect(block);  // laid out, as the paint would
    const QTextLine line = block.layout()->lineAt(0);
    const qreal wanted = edit_.viewport()->width() - 2 * doc.documentMargin();
    return line.isValid() && std::abs(line.width() - wanted) < 0.5;
}

}  // namespace korvex::bench
