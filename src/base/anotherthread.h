#pragma once

#include <future>
#include <system_error>

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

}  // namespace korvex
