#pragma once

#include <atomic>
#include <cstddef>
#include <future>
#include <memory>

namespace korvex {

// Has the system back the pages of [data, data + bytes) with memory on a
// thread of its own, so that a thread about to write a large block there
// does not stop at every new page. The contents stay as they are; pages
// already backed, or written meanwhile, are left alone; where the system
// cannot do it, or memory for a thread is short, nothing happens. Once this is gone, the rest is left
// undone: at most the piece at hand is waited for.
class PagesBackedAhead {
public:
    PagesBackedAhead(const void* data, size_t bytes);
    ~PagesBackedAhead();
    PagesBackedAhead(const PagesBackedAhead&) = delete;
    PagesBackedAhead& operator=(const PagesBackedAhead&) = delete;

private:
    std::shared_ptr<std::atomic<bool>> stop_;
    std::future<void> done_;
};

}  // namespace korvex
