#include "base/textforms.h"

#include <array>
#include <cstdio>

#include "base/cp1252.h"
#include "base/kxerror.h"

namespace korvex {
namespace {

constexpr std::array<NamedColour, 49> kColourNames = {{
    {"clBlack", Colour(0x00000000)},
    {"clMaroon", Colour(0x00000080)},
    {"clGreen", Colour(0x00008000)},
    {"clOlive", Colour(0x00008080)},
    {"clNavy", Colour(0x00800000)},
    {"clPurple", Colour(0x00800080)},
    {"clTeal", Colour(0x00808000)},
    {"clGray", Colour(0x00808080)},
    {"clSilver", Colour(0x00C0C0C0)},
    {"clRed", Colour(0x000000FF)},
    {"clLime", Colour(0x0000FF00)},
    {"clYellow", Colour(0x0000FFFF)},
    {"clBlue", Colour(0x00FF0000)},
    {"clFuchsia", Colour(0x00FF00FF)},
    {"clAqua", Colour(0x00FFFF00)},
    {"clWhite", Colour(0x00FFFFFF)},
    {"clMoneyGreen", Colour(0x00C0DCC0)},
    {"clSkyBlue", Colour(0x00F0CAA6)},
    {"clCream", Colour(0x00F0FBFF)},
    {"clMedGray", Colour(0x00A4A0A0)},
    {"clActiveBorder", Colour(0x8000000A)},
    {"clActiveCaption", Colour(0x80000002)},
    {"clAppWorkSpace", Colour(0x8000000C)},
    {"clBackground", Colour(0x80000001)},
    {"clBtnFace", Colour(0x8000000F)},
    {"clBtnHighlight", Colour(0x80000014)},
    {"clBtnShadow", Colour(0x80000010)},
    {"clBtnText", Colour(0x80000012)},
    {"clCaptionText", Colour(0x80000009)},
    {"clDefault", Colour(0x20000000)},
    {"clGradientActiveCaption", Colour(0x8000001B)},
    {"clGradientInactiveCaption", Colour(0x8000001C)},
    {"clGrayText", Colour(0x80000011)},
    {"clHighlight", Colour(0x8000000D)},
    {"clHighlightText", Colour(0x8000000E)},
    {"clInactiveBorder", Colour(0x8000000B)},
    {"clInactiveCaption", Colour(0x80000003)},
    {"clInactiveCaptionText", Colour(0x80000013)},
    {"clInfoBk", Colour(0x80000018)},
    {"clInfoText", Colour(0x80000017)},
    {"clMenu", Colour(0x80000004)},
    {"clMenuText", Colour(0x80000007)},
    {"clNone", Colour(0x1FFFFFFF)},
    {"clScrollBar", Colour(0x80000000)},
    {"cl3DDkShadow", Colour(0x80000015)},
    {"cl3DLight", Colour(0x80000016)},
    {"clWindow", Colour(0x80000005)},
    {"clWindowFrame", Colour(0x80000006)},
    {"clWindowText", Colour(0x80000008)},
}};

[[noreturn]] void conversionFailure(std::string_view text) {
    throw KxError("'" + cp1252::toUtf8(text) + "' ist kein gültiger Integerwert");
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

size_t hexPrefixLength(std::string_view s) {
    if (s.starts_with('$') || s.starts_with('x') || s.starts_with('X')) return 1;
    if (s.starts_with("0x") || s.starts_with("0X")) return 2;
    return 0;
}

// Digits only, at least one; false on anything else or on overflow.
bool parseDigits(std::string_view digits, int base, uint64_t limit, uint64_t& value) {
    if (digits.empty()) return false;
    value = 0;
    for (char c : digits) {
        const int d = base == 16 ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > limit) return false;
    }
    return true;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace

void PrintTo(Colour colour, std::ostream* os) { *os << colourToText(colour); }

std::span<const NamedColour> colourNames() { return kColourNames; }

std::string integerToText(int32_t value) { return std::to_string(value); }

int32_t textToInteger(std::string_view text) {
    std::string_view s = text;
    while (s.starts_with(' ')) s.remove_prefix(1);
    uint64_t value = 0;
    if (const size_t prefix = hexPrefixLength(s); prefix > 0) {
        if (!parseDigits(s.substr(prefix), 16, 0xFFFFFFFFull, value)) conversionFailure(text);
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    const bool negative = s.starts_with('-');
    if (negative || s.starts_with('+')) s.remove_prefix(1);
    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    if (!parseDigits(s, 10, limit, value)) conversionFailure(text);
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

std::string colourToText(Colour colour) {
    for (const NamedColour& named : kColourNames) {
        if (named.colour == colour) return named.name;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(colour.value));
    return buffer;
}

Colour textToColour(std::string_view text) {
    for (const NamedColour& named : kColourNames) {
        if (equalsIgnoringCase(text, named.name)) return named.colour;
    }
    return Colour(static_cast<uint32_t>(textToInteger(text)));
}

}  // namespace korvex
