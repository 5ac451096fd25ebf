#include "platform/pagesahead.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "base/anotherthread.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korvex {
namespace {

constexpr size_t kPage = 4096;
constexpr size_t kPiece = size_t{4} << 20;  // how long the last piece may keep the owner waiting

}  // namespace

PagesBackedAhead::PagesBackedAhead(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Whole pages within the block only: a neighbour's are none of its business.
    char* const start = static_cast<char*>(const_cast<void*>(data));
    const size_t intoPage = reinterpret_cast<uintptr_t>(start) % kPage;
    const size_t skipped = intoPage == 0 ? 0 : kPage - intoPage;
    if (bytes <= skipped) return;
    char* const first = start + skipped;
    const size_t length = (bytes - skipped) / kPage * kPage;
    try {
        stop_ = std::make_shared<std::atomic<bool>>(false);
        done_ = onAnotherThread([first, length, stop = stop_] {
            for (size_t done = 0; done < length && !stop->load(std::memory_order_relaxed); done += kPiece) {
                if (madvise(first + done, std::min(kPiece, length - done), MADV_POPULATE_WRITE) != 0) return;
            }
        });
        // Without a thread of its own it would run here, at the end: better not at all.
        if (done_.wait_for(std::chrono::seconds(0)) == std::future_status::deferred) done_ = {};
    } catch (const std::bad_alloc&) {  // a help only: the writer takes the pages itself
        done_ = {};
    }
#else
    (void)data;
    (void)bytes;
#endif
}

PagesBackedAhead::~PagesBackedAhead() {
    if (!done_.valid()) return;
    stop_->store(true);
    done_.wait();
}

}  // namespace korvex
