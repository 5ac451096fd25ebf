// The HTML conversion the buttons run: over the text window's raw text
// (UTF-16, U+2029 between blocks), in the pieces the command asks for, it
// leaves exactly what saving the text, replacing step by step and loading the
// result again leaves; for both buttons. With "RAll" no angle bracket
// survives but those of <BR>. Its measure tells the converted length and breaks.
//
// Input: one byte for the first piece's size, then the raw text (unitsOf).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editing/htmlconvert.h"
#include "fuzzcheck.h"
#include "fuzzunits.h"
#include "oracles/htmlreference.h"

using namespace korvex;

namespace {

constexpr char16_t kBlockSeparator = 0x2029;

// With "RAll" no angle bracket survives but those of <BR>.
void checkNoTagsLeft(std::u16string_view html) {
    std::u16string rest;
    for (size_t i = 0; i < html.size(); ++i) {
        if (html.compare(i, 4, u"<BR>") == 0) {
            i += 3;
        } else {
            rest += html[i];
        }
    }
    FUZZ_CHECK(rest.find_first_of(u"<>") == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t firstRoom = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::u16string raw = unitsOf(input);
    for (const HtmlConversion mode : {HtmlConversion::KeepTags, HtmlConversion::All}) {
        size_t breaks = 0;
        const std::u16string converted = convertRawInPieces(raw, mode, firstRoom, breaks);
        FUZZ_CHECK(converted == loadedRawText(convertToHtmlStepByStep(savedBytes(raw), mode)));
        FUZZ_CHECK(breaks == static_cast<size_t>(std::count(converted.begin(), converted.end(), kBlockSeparator)));
        // The measure taken before a big text is converted piece by piece.
        const RawHtmlProgress measured = measureRawToHtml(raw, mode);
        FUZZ_CHECK(measured.written == converted.size() && measured.breaks == breaks);
        if (mode == HtmlConversion::All) checkNoTagsLeft(converted);
    }
    return 0;
}
