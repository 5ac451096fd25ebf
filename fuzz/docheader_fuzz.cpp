// The header block search over display lines wrapped at a width taken from
// the input. Input: width byte, header length byte, then the text.
//
// Any text: a header is found exactly when the first marker line among the
// first 20 display lines is not the first line; it is the lines before,
// joined and cut to 100 characters; what stays are the lines after the
// marker, wrapped as before. Not found: the text is untouched.
//
// A saved document: a header of at most 100 characters without a line break,
// whose own display lines are fewer than 20 and none of them a marker (the
// marker itself must fit a line), comes back whole with the text behind it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/wrappedtext.h"
#include "document/docformat.h"
#include "fuzzcheck.h"

using namespace korvex;

namespace {

std::vector<std::string> displayLines(const LineList& lines) {
    std::vector<std::string> all;
    for (int i = 0; i < lines.count(); ++i) all.push_back(lines.get(i));
    return all;
}

void checkAnyText(const std::string& text, size_t width) {
    WrappedText lines(text, width);
    const std::vector<std::string> before = displayLines(lines);
    size_t marker = 0;
    bool seen = false;
    for (size_t i = 0; i < before.size() && i < kHeaderSearchLines && !seen; ++i) {
        seen = before[i] == kHeaderMarker;
        marker = i;
    }
    const std::optional<std::string> header = takeHeaderBlock(lines);
    FUZZ_CHECK(header.has_value() == (seen && marker > 0));
    if (!header) {
        FUZZ_CHECK(lines.text() == text);
        return;
    }
    std::string joined;
    for (size_t i = 0; i < marker; ++i) joined += before[i];
    FUZZ_CHECK(header->size() <= kMaxHeaderLength);
    FUZZ_CHECK(*header == joined.substr(0, kMaxHeaderLength));
    const std::vector<std::string> after = displayLines(lines);
    FUZZ_CHECK(after == std::vector<std::string>(before.begin() + static_cast<long>(marker) + 1, before.end()));
}

void checkSavedDocument(const std::string& header, const std::string& text, size_t width) {
    if (header.empty() || header.size() > kMaxHeaderLength || header.find("\r\n") != std::string::npos) return;
    if (width != 0 && width < kHeaderMarker.size()) return;
    const WrappedText headerLines(header, width);
    if (headerLines.count() >= static_cast<int>(kHeaderSearchLines)) return;
    for (const std::string& line : displayLines(headerLines)) {
        if (line == kHeaderMarker) return;
    }
    WrappedText lines(composeDocument(header, text), width);
    const std::optional<std::string> found = takeHeaderBlock(lines);
    FUZZ_CHECK(found.has_value() && *found == header);
    FUZZ_CHECK(lines.text() == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t width = data[0] % 48;
    const size_t headerLength = data[1] % 128;
    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    checkAnyText(rest, width);
    const size_t split = headerLength < rest.size() ? headerLength : rest.size();
    checkSavedDocument(rest.substr(0, split), rest.substr(split), width);
    return 0;
}
