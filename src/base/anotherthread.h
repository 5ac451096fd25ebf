#pragma once

#include <future>
#include <system_error>
#include <utility>

namespace korvex {

// Runs `work` on a thread of its own; when no thread is to be had, it runs
// where its result is first asked for.
template <class Work>
auto onAnotherThread(Work work) -> std::future<decltype(work())> {
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, work);
    }
}

// Runs `here` on this thread and `there` on another at the same time, and
// gives both results, here's first.
template <class Here, class There>
auto atOnce(Here here, There there) {
    auto other = onAnotherThread(std::move(there));
    auto mine = here();
    return std::pair(std::move(mine), other.get());
}

}  // namespace korvex
