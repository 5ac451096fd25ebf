#include "recovery/copywriter.h"

#include <exception>

namespace korvex::recovery {

CopyWriter::CopyWriter() : thread_([this] { run(); }) {}

CopyWriter::~CopyWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void CopyWriter::post(Job job) {
    {
        const std::lock_guard lock(mutex_);
        waiting_ = std::move(job);
    }
    changed_.notify_all();
}

void CopyWriter::cancelAndWait() {
    std::unique_lock lock(mutex_);
    waiting_.reset();
    changed_.wait(lock, [this] { return !running_; });
}

void CopyWriter::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_ && !waiting_; });
}

void CopyWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || waiting_; });
        if (!waiting_) return;  // stopping, and nothing left to write
        Job job = std::move(*waiting_);
        waiting_.reset();
        running_ = true;
        lock.unlock();
        // A job says what went wrong itself; one that failed even at that
        // (no memory left for the report) ends no more than itself.
        try {
            job();
        } catch (const std::exception&) {
        }
        job = nullptr;  // the snapshot it holds goes now, not with the next job
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace korvex::recovery
