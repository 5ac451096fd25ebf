#include "platform/roomheld.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace korvex {

#if defined(__linux__)

// Mapped writable and never touched: no page of it is ever backed, but it
// counts against the address space and what the system has promised.
void RoomHeld::resize(size_t bytes) {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    bytes = (bytes + page - 1) / page * page;
    if (bytes == bytes_) return;
    void* start = MAP_FAILED;
    if (bytes == 0) {
        munmap(start_, bytes_);
        start = nullptr;
    } else if (bytes_ == 0) {
        start = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    } else {
        start = mremap(start_, bytes_, bytes, MREMAP_MAYMOVE);
    }
    if (start == MAP_FAILED) {
        if (bytes > bytes_) throw std::bad_alloc();
        return;  // it keeps what it held
    }
    start_ = start;
    bytes_ = bytes;
}

RoomHeld::~RoomHeld() {
    if (bytes_ > 0) munmap(start_, bytes_);
}

#else

// Taken from the allocator and never written: the system commits it and
// backs none of it.
void RoomHeld::resize(size_t bytes) {
    if (bytes == bytes_) return;
    void* start = nullptr;
    if (bytes > 0) {
        start = std::realloc(start_, bytes);
        if (start == nullptr && bytes > bytes_) throw std::bad_alloc();
        if (start == nullptr) return;  // it keeps what it held
    } else {
        std::free(start_);
    }
    start_ = start;
    bytes_ = bytes;
}

RoomHeld::~RoomHeld() { std::free(start_); }

#endif

}  // namespace korvex
