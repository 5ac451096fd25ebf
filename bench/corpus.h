#pragma once

#include <cstddef>
#include <string>

namespace korvex::bench {

// German-like prose as Windows-1252 bytes with CR LF: hard lines of 60 to
// 200 characters, about `bytes` long, the same for the same size.
std::string generateProse(size_t bytes);

}  // namespace korvex::bench
