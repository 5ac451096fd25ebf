#pragma once

#include <array>
#include <string>
#include <string_view>

// UTF-16 text made of fuzz bytes: a byte below 0xF0 is the unit of that
// value, one from 0xF0 on is one of the units that need care: breaks,
// characters beyond Latin-1 inside and outside the code page, surrogates.
inline std::u16string unitsOf(std::string_view bytes) {
    static constexpr std::array<char16_t, 16> kSpecial = {0x2028, 0x2029, 0x20AC, 0x2026, 0x0152, 0x4E00,
                                                          0xD83D, 0xDE00, 0xFFFF, 0x00FC, 0x00F6, 0x00FF,
                                                          0x0085, 0x0081, 0x00A0, 0x00DF};
    std::u16string units;
    units.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        units += b < 0xF0 ? static_cast<char16_t>(b) : kSpecial[b - 0xF0];
    }
    return units;
}
