// The Windows-1252 codec. Bytes to UTF-8 and back give the same bytes, and
// the UTF-8 is well formed. UTF-8 to bytes follows the rule of the codec:
// each well-formed character becomes its byte or '?', and each byte of a
// malformed sequence (cut short, bad continuation, overlong) becomes one '?'.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cp1252.h"
#include "fuzzcheck.h"

using namespace korvex;

namespace {

// The character starting at `at`, or nothing with length 0 when malformed.
struct Decoded {
    char32_t codePoint = 0;
    size_t length = 0;
};

Decoded decodeStrict(std::string_view s, size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) return {lead, 1};
    if ((lead & 0xE0) == 0xC0) length = 2, value = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0) length = 3, value = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0) length = 4, value = lead & 0x07, minimum = 0x10000;
    else return {};
    if (at + length > s.size()) return {};
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[at + k]);
        if ((next & 0xC0) != 0x80) return {};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum) return {};
    return {value, length};
}

bool isWellFormed(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const Decoded d = decodeStrict(s, i);
        if (d.length == 0 || (d.codePoint >= 0xD800 && d.codePoint <= 0xDFFF) || d.codePoint > 0x10FFFF) return false;
        i += d.length;
    }
    return true;
}

std::string expectedBytes(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeStrict(utf8, i);
        out += d.length == 0 ? '?' : static_cast<char>(cp1252::fromUnicode(d.codePoint));
        i += d.length == 0 ? 1 : d.length;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp1252::toUtf8(input);
    FUZZ_CHECK(isWellFormed(utf8));
    FUZZ_CHECK(cp1252::fromUtf8(utf8) == input);

    FUZZ_CHECK(cp1252::fromUtf8(input) == expectedBytes(input));

    for (size_t i = 0; i < size; ++i) {
        const char16_t unit = cp1252::toUnicode(data[i]);
        FUZZ_CHECK(cp1252::canEncode(unit) && cp1252::fromUnicode(unit) == data[i]);
    }
    if (size >= 3) {
        const char32_t codePoint = data[0] | (data[1] << 8) | ((data[2] & 0x1F) << 16);
        const unsigned char byte = cp1252::fromUnicode(codePoint);
        FUZZ_CHECK(cp1252::canEncode(codePoint) ? cp1252::toUnicode(byte) == codePoint : byte == '?');
    }
    return 0;
}
