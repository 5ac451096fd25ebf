#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

class LineList;

inline constexpr std::string_view kHeaderMarker = "#kopf#";
inline constexpr size_t kHeaderSearchLines = 20;
inline constexpr size_t kMaxHeaderLength = 100;

// The bytes of a document file: with a header, the header line, CR LF, the
// marker line, CR LF and then the text; without one, the text alone.
std::string composeDocument(std::string_view header, std::string_view text);

// After loading: a header block ends at the first display line among the
// first 20 that is exactly the marker, unless that is the very first line.
// The display lines before it form the header (joined without separator,
// cut to 100 characters); they and the marker line are removed from the list.
std::optional<std::string> takeHeaderBlock(LineList& lines);

}  // namespace korvex
