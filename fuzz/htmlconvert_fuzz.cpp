// The HTML conversion the buttons run: over the text window's raw text
// (UTF-16, U+2029 between blocks), in the pieces the command asks for, it
// leaves exactly what saving the text, replacing step by step and loading the
// result again leaves; for both buttons. The one-pass conversion of bytes
// equals the step-by-step replacements, and with "RAll" no angle bracket
// survives but those of <BR>.
//
// Input: one byte for the first piece's size, then the raw text (unitsOf).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/cp1252.h"
#include "app/textbytes.h"
#include "editing/htmlconvert.h"
#include "fuzzcheck.h"
#include "fuzzunits.h"

using namespace korvex;

namespace {

constexpr char16_t kBlockSeparator = 0x2029;

// The bytes the text window saves for its raw text.
std::string savedBytes(std::u16string_view raw) {
    std::string bytes;
    for (const char16_t u : raw) {
        if (u == u'\n' || u == 0x2028 || u == kBlockSeparator) {
            bytes += "\r\n";
        } else if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            bytes += static_cast<char>(u);
        } else {
            bytes += static_cast<char>(cp1252::fromUnicode(u));
        }
    }
    return bytes;
}

// The raw text the text window holds after loading a file of these bytes.
std::u16string loadedRawText(std::string_view fileBytes) {
    const std::string text = normalizeLoadedText(fileBytes);
    std::u16string raw;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            raw += kBlockSeparator;
            ++i;
        } else {
            raw += cp1252::toUnicode(static_cast<unsigned char>(text[i]));
        }
    }
    return raw;
}

// As the command calls it: a piece at a time, the room growing by half.
std::u16string convertInPieces(std::u16string_view raw, HtmlConversion mode, size_t firstRoom, size_t& breaks) {
    std::vector<char16_t> out(firstRoom);
    RawHtmlProgress progress;
    for (;;) {
        convertRawToHtml(raw, mode, out, progress);
        if (progress.ended || progress.read == raw.size()) break;
        out.resize(out.size() + out.size() / 2 + 1);
    }
    FUZZ_CHECK(progress.written <= out.size());
    breaks = progress.breaks;
    return {out.data(), progress.written};
}

void checkBytes(std::string_view text, HtmlConversion mode) {
    const std::string html = convertToHtml(text, mode);
    FUZZ_CHECK(html == convertToHtmlStepByStep(text, mode));
    if (mode != HtmlConversion::All) return;
    std::string rest;
    for (size_t i = 0; i < html.size(); ++i) {
        if (html.compare(i, 4, "<BR>") == 0) {
            i += 3;
        } else {
            rest += html[i];
        }
    }
    FUZZ_CHECK(rest.find_first_of("<>") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t firstRoom = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::u16string raw = unitsOf(input);
    for (const HtmlConversion mode : {HtmlConversion::KeepTags, HtmlConversion::All}) {
        checkBytes(input, mode);
        size_t breaks = 0;
        const std::u16string converted = convertInPieces(raw, mode, firstRoom, breaks);
        FUZZ_CHECK(converted == loadedRawText(convertToHtmlStepByStep(savedBytes(raw), mode)));
        FUZZ_CHECK(breaks == static_cast<size_t>(std::count(converted.begin(), converted.end(), kBlockSeparator)));
    }
    return 0;
}
