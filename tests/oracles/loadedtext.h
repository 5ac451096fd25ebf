#pragma once

#include <string>
#include <string_view>

namespace korvex {

// What the text window takes from a file: the bytes up to the first NUL,
// with every lone CR and every lone LF turned into CR LF.
std::string normalizeLoadedText(std::string_view fileBytes);

}  // namespace korvex
