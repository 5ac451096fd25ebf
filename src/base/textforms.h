#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// A colour as the settings file and the colour picker know it: red in the
// lowest byte, then green and blue; the top bit marks a system colour index.
struct Colour {
    uint32_t value = 0;

    constexpr Colour() = default;
    constexpr explicit Colour(uint32_t v) : value(v) {}
    static constexpr Colour fromRgb(int red, int green, int blue) {
        return Colour(static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) |
                      (static_cast<uint32_t>(blue) << 16));
    }

    constexpr bool isSystem() const { return (value & 0x80000000u) != 0; }
    constexpr int systemIndex() const { return static_cast<int>(value & 0xFFu); }
    constexpr int red() const { return static_cast<int>(value & 0xFFu); }
    constexpr int green() const { return static_cast<int>((value >> 8) & 0xFFu); }
    constexpr int blue() const { return static_cast<int>((value >> 16) & 0xFFu); }

    friend constexpr bool operator==(Colour, Colour) = default;
};

void PrintTo(Colour colour, std::ostream* os);

namespace colours {
inline constexpr Colour Black{0x00000000};
inline constexpr Colour Silver{0x00C0C0C0};
inline constexpr Colour Yellow{0x0000FFFF};
inline constexpr Colour MoneyGreen{0x00C0DCC0};
inline constexpr Colour SkyBlue{0x00F0CAA6};
inline constexpr Colour Cream{0x00F0FBFF};
inline constexpr Colour BtnFace{0x8000000F};
inline constexpr Colour Window{0x80000005};
inline constexpr Colour WindowText{0x80000008};
inline constexpr Colour None{0x1FFFFFFF};
inline constexpr Colour Default{0x20000000};
}  // namespace colours

struct NamedColour {
    const char* name;
    Colour colour;
};

// All 49 named colours in their fixed order.
std::span<const NamedColour> colourNames();

// Whole numbers: written in decimal; read in decimal or hexadecimal with the
// rules of the settings file. Reading throws KxError
// "'<text>' ist kein gültiger Integerwert" (text given as Windows-1252 bytes).
std::string integerToText(int32_t value);
int32_t textToInteger(std::string_view text);

// Colours: a name from the table or "$" with eight upper-case hex digits.
std::string colourToText(Colour colour);
Colour textToColour(std::string_view text);

}  // namespace korvex
