#include "document/docformat.h"

#include <algorithm>

#include "base/linelist.h"

namespace korvex {

std::string composeDocument(std::string_view header, std::string_view text) {
    if (header.empty()) return std::string(text);
    std::string bytes;
    bytes.reserve(header.size() + kHeaderMarker.size() + 4 + text.size());
    bytes.append(header).append("\r\n").append(kHeaderMarker).append("\r\n").append(text);
    return bytes;
}

std::optional<std::string> takeHeaderBlock(LineList& lines) {
    const int searched = std::min(lines.count(), static_cast<int>(kHeaderSearchLines));
    int marker = 0;
    for (int i = 0; i < searched; ++i) {
        if (lines.get(i) == kHeaderMarker) {
            marker = i;
            break;
        }
    }
    if (marker == 0) return std::nullopt;
    std::string header;
    for (int i = 0; i < marker; ++i) {
        header += lines.get(0);
        lines.remove(0);
    }
    lines.remove(0);
    header.resize(std::min(header.size(), kMaxHeaderLength));
    return header;
}

}  // namespace korvex
