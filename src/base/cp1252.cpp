#include "base/cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace korvex::cp1252 {
namespace {

// 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The code points of the bytes 0x80..0x9F lie in the Unicode pages 0x00,
// 0x01, 0x02, 0x20 and 0x21: for each page, the byte of each of its code
// points (0: none), so that encoding typographic quotes, dashes and the euro
// sign costs a lookup, not a search.
constexpr std::array<char32_t, 5> kHighControlPages = {0x00, 0x01, 0x02, 0x20, 0x21};
using PageBytes = std::array<std::array<unsigned char, 256>, kHighControlPages.size()>;

constexpr PageBytes makePageBytes() {
    PageBytes bytes{};
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        const char32_t codePoint = kHighControls[i];
        for (size_t page = 0; page < kHighControlPages.size(); ++page) {
            if (codePoint >> 8 == kHighControlPages[page])
                bytes[page][codePoint & 0xFF] = static_cast<unsigned char>(0x80 + i);
        }
    }
    return bytes;
}
constexpr PageBytes kPageBytes = makePageBytes();

int byteOfHighControl(char32_t codePoint) {
    const char32_t page = codePoint >> 8;
    const size_t index = page <= 0x02 ? page : page == 0x20 ? 3 : page == 0x21 ? 4 : kHighControlPages.size();
    if (index == kHighControlPages.size()) return -1;
    const unsigned char byte = kPageBytes[index][codePoint & 0xFF];
    return byte == 0 ? -1 : byte;
}

int encode(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
    return byteOfHighControl(codePoint);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

const std::array<char16_t, 256>& unicodeTable() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (size_t b = 0; b < t.size(); ++b) t[b] = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b);
        return t;
    }();
    return table;
}

char16_t toUnicode(unsigned char byte) { return unicodeTable()[byte]; }

unsigned char fromUnicode(char32_t codePoint) {
    const int byte = encode(codePoint);
    return static_cast<unsigned char>(byte < 0 ? '?' : byte);
}

bool canEncode(char32_t codePoint) { return encode(codePoint) >= 0; }

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) appendUtf8(out, toUnicode(static_cast<unsigned char>(b)));
    return out;
}

namespace {

struct Utf8Character {
    char32_t code;
    size_t length;  // a malformed sequence counts as its first byte
    bool wellFormed;
};

Utf8Character readUtf8(std::string_view utf8, size_t at) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    char32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
        if (at + static_cast<size_t>(k) >= utf8.size()) {
            ok = false;
            break;
        }
        const auto next = static_cast<unsigned char>(utf8[at + static_cast<size_t>(k)]);
        ok = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    // An overlong form is malformed too: it must not smuggle in a byte like NUL or '<'.
    constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    ok = ok && c >= kShortest[extra];
    return {c, ok ? static_cast<size_t>(extra) + 1 : 1, ok};
}

}  // namespace

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Utf8Character c = readUtf8(utf8, i);
        out += static_cast<char>(c.wellFormed ? fromUnicode(c.code) : '?');
        i += c.length;
    }
    return out;
}

bool looksLikeUtf8(std::string_view bytes) {
    constexpr size_t kLookedAt = 4096;
    size_t i = 0;
    // Eight bytes at a time through the ASCII before: a big file may hold nothing else.
    for (uint64_t eight = 0; i + 8 <= bytes.size(); i += 8) {
        std::memcpy(&eight, bytes.data() + i, sizeof eight);
        if (eight & 0x8080'8080'8080'8080) break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    if (i == bytes.size()) return false;  // ASCII reads the same either way
    for (const size_t end = std::min(bytes.size(), i + kLookedAt); i < end;) {
        const Utf8Character c = readUtf8(bytes, i);
        if (!c.wellFormed) return false;
        i += c.length;
    }
    return true;
}

}  // namespace korvex::cp1252
