// The header block search over what the loader makes of a file (cut at the
// first NUL, lone CR and LF turned into CR LF), wrapped at a width taken from
// the input. Input: width byte, header length byte, then the bytes.
//
// Any file: a header is found exactly when the first marker line among the
// first 20 display lines is not the first line; it is the lines before,
// joined and cut to 100 characters; what stays are the lines after the
// marker, wrapped as before. Not found: the text is untouched.
//
// A saved document: a header the header field can hold (at most 100
// characters, no line break, no NUL) whose own display lines are fewer than
// 20 and none of them a marker (the marker itself must fit a line), saved
// with any text the window can hold, comes back whole with that text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/docformat.h"
#include "fuzzcheck.h"
#include "oracles/loadedtext.h"
#include "oracles/wrappedtext.h"

using namespace korvex;

namespace {

std::vector<std::string> displayLines(const LineList& lines) {
    std::vector<std::string> all;
    for (int i = 0; i < lines.count(); ++i) all.push_back(lines.get(i));
    return all;
}

void checkAnyFile(std::string_view file, size_t width) {
    const std::string text = normalizeLoadedText(file);
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

bool headerFieldCanHold(std::string_view header) {
    return header.size() <= kMaxHeaderLength &&
           header.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

void checkSavedDocument(std::string_view header, std::string_view anyText, size_t width) {
    if (header.empty() || !headerFieldCanHold(header)) return;
    if (width != 0 && width < kHeaderMarker.size()) return;
    const WrappedText headerLines{std::string(header), width};
    if (headerLines.count() >= static_cast<int>(kHeaderSearchLines)) return;
    for (const std::string& line : displayLines(headerLines)) {
        if (line == kHeaderMarker) return;
    }
    // The window holds no NUL and breaks its lines with CR LF only.
    const std::string text = normalizeLoadedText(anyText);
    WrappedText lines(normalizeLoadedText(composeDocument(header, text)), width);
    const std::optional<std::string> found = takeHeaderBlock(lines);
    FUZZ_CHECK(found.has_value() && *found == header);
    FUZZ_CHECK(lines.text() == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t width = data[0] % 48;
    const size_t headerLength = data[1] % 128;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    checkAnyFile(rest, width);
    const size_t split = headerLength < rest.size() ? headerLength : rest.size();
    checkSavedDocument(rest.substr(0, split), rest.substr(split), width);
    return 0;
}
