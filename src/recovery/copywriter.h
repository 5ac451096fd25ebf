#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace korvex::recovery {

// Runs the writing of recovery copies on a thread of its own, one job at a
// time, so that the typist never waits for a disk. A job posted while
// another runs waits; a newer one replaces it, as only the latest text counts.
class CopyWriter {
public:
    using Job = std::function<void()>;

    CopyWriter();
    // Finishes the running and the waiting job first: a copy begun is never cut off.
    ~CopyWriter();
    CopyWriter(const CopyWriter&) = delete;
    CopyWriter& operator=(const CopyWriter&) = delete;

    void post(Job job);
    // Drops the waiting job and returns when the running one has finished.
    void cancelAndWait();
    // Returns when no job waits or runs.
    void waitIdle();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace korvex::recovery
