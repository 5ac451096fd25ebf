#pragma once

namespace korvex {

// Hands memory freed in many small pieces back to the system; the allocator
// keeps it otherwise, so the process would stay as big as it ever was.
void returnFreedMemory();

}  // namespace korvex
