#pragma once

#include <cstddef>

namespace korvex {

// Keeps memory of the process from being handed out, without using it:
// where the address space is limited, or the system counts what it has
// promised, nothing else can take it until it is given back.
class RoomHeld {
public:
    RoomHeld() = default;
    ~RoomHeld();
    RoomHeld(const RoomHeld&) = delete;
    RoomHeld& operator=(const RoomHeld&) = delete;

    size_t bytes() const { return bytes_; }
    // Holds `bytes` from now on; more throws std::bad_alloc when it is not
    // to be had, and then holds what it held.
    void resize(size_t bytes);

private:
    void* start_ = nullptr;
    size_t bytes_ = 0;
};

}  // namespace korvex
