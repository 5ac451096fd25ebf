#pragma once

#include <string>
#include <string_view>

#include "editing/htmlconvert.h"

namespace korvex {

// The HTML conversion as it is defined: one replacement after the other over
// the whole Windows-1252 text. Slow; the conversion the buttons run is
// checked against it.
std::string convertToHtmlStepByStep(std::string_view text, HtmlConversion mode);

// The bytes the text window saves for its raw text (UTF-16, U+2029 between blocks).
std::string savedBytes(std::u16string_view raw);

// The raw text the text window holds after loading a file of these bytes.
std::u16string loadedRawText(std::string_view fileBytes);

// convertRawToHtml as the command calls it: a piece at a time, starting with
// room for `firstRoom` units and growing it by half. `breaks` receives the
// number of block separators written.
std::u16string convertRawInPieces(std::u16string_view raw, HtmlConversion mode, size_t firstRoom, size_t& breaks);

}  // namespace korvex
