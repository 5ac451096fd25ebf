#pragma once

#include <array>
#include <string>
#include <string_view>

namespace korvex::cp1252 {

// Windows-1252, our own table. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code points of the same value, so
// every byte survives a round trip.
char16_t toUnicode(unsigned char byte);
// The same for every byte at once, for loops over long texts.
const std::array<char16_t, 256>& unicodeTable();

// The byte for a code point; '?' for anything the code page cannot hold.
unsigned char fromUnicode(char32_t codePoint);

bool canEncode(char32_t codePoint);

// Windows-1252 bytes to UTF-8 (for messages built from file names or text).
std::string toUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes; malformed sequences and unmappable characters become '?'.
std::string fromUtf8(std::string_view utf8);

// Whether text of these bytes was most likely written in UTF-8: its first
// characters beyond ASCII (those in the 4 KiB from the first one) are all
// well-formed UTF-8. In Windows-1252 text they almost never are, as there an
// umlaut stands alone between letters.
bool looksLikeUtf8(std::string_view bytes);

}  // namespace korvex::cp1252
