#include "oracles/loadedtext.h"

namespace korvex {

std::string normalizeLoadedText(std::string_view fileBytes) {
    const size_t nul = fileBytes.find('\0');
    const std::string_view text = fileBytes.substr(0, nul);
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace korvex
