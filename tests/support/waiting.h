#pragma once

// Waiting for what a busy machine may deliver late (a count on other
// threads, a window manager's answer, a file another process writes): the
// condition itself, with a generous bound, never a fixed time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <functional>
#include <ostream>

// QString in the messages of failed comparisons as its text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace korvex::testing {

// Enough for two cores busy with other work under a sanitizer build.
inline constexpr int kPatienceMs = 60'000;

// Runs the events of this thread until `condition` holds, at most
// `patienceMs`; true when it held. It sleeps between looks, so that the
// threads it waits for get the processor.
inline bool waitUntil(const std::function<bool()>& condition, int patienceMs = kPatienceMs) {
    const QDeadlineTimer deadline(patienceMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(10);
    }
    return true;
}

// Waits until `value()` equals `expected`; a failure tells what was seen last.
template <class Value, class Expected>
::testing::AssertionResult becomes(Value value, const Expected& expected, int patienceMs = kPatienceMs) {
    if (waitUntil([&] { return value() == expected; }, patienceMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "after " << patienceMs / 1000 << " s still "
                                         << ::testing::PrintToString(value()) << " instead of "
                                         << ::testing::PrintToString(expected);
}

}  // namespace korvex::testing
