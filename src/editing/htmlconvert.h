#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// The two buttons of the HTML conversion: "Repl" leaves tags alone, "RAll"
// also turns < and > into entities.
enum class HtmlConversion { KeepTags, All };

// One step of the conversion as it is defined: every `find` in the whole text
// becomes `replaceWith`.
struct HtmlReplacement {
    std::string_view find;
    std::string_view replaceWith;
    bool tagsToo;  // only with HtmlConversion::All

    constexpr bool appliesTo(HtmlConversion mode) const { return !tagsToo || mode == HtmlConversion::All; }
};

// The steps in their order. The ampersand must come first, or the entities
// made later would be mangled.
inline constexpr std::array<HtmlReplacement, 14> kHtmlReplacements = {{
    {"&", "&amp;", false},
    {"\xC4", "&Auml;", false},
    {"\xD6", "&Ouml;", false},
    {"\xDC", "&Uuml;", false},
    {"\xE4", "&auml;", false},
    {"\xF6", "&ouml;", false},
    {"\xFC", "&uuml;", false},
    {"\xDF", "&szlig;", false},
    {"\xB0", "&deg;", false},
    {"\xA7", "&sect;", false},
    {"<", "&lt;", true},
    {">", "&gt;", true},
    {"\"", "&quot;", false},
    {"\r\n", "<BR>\r\n", false},
}};

// Windows-1252 text with CR LF line breaks becomes HTML character entities,
// every CR LF pair getting a "<BR>" in front of it. The conversion is done on
// the text window's raw text (UTF-16, U+2029 between blocks) without going
// through bytes: the result is the raw text the window holds after saving,
// converting the bytes and loading them again. Characters the
// code page cannot hold become '?', every line break (U+2029, U+2028, LF)
// gets "<BR>" before a block separator, a CR is a break of its own, and the
// text ends at a NUL, all as the way through bytes does.
struct RawHtmlProgress {
    size_t read = 0;       // units of the input taken
    size_t written = 0;    // units of the output written
    size_t breaks = 0;     // block separators among them
    size_t lineStart = 0;  // where the last line of the output starts
    size_t longest = 0;    // the longest line before it, without its separator
    bool ended = false;    // a NUL ended the text early
};

// The most one input unit can grow to; the output needs this much room at its end.
inline constexpr size_t kRawHtmlSlack = 8;

// Converts from `progress.read` on into `out` from `progress.written` on,
// until the input is used up, a NUL is met or fewer than kRawHtmlSlack units
// of `out` are left; the caller makes `out` bigger and calls again.
void convertRawToHtml(std::u16string_view raw, HtmlConversion mode, std::span<char16_t> out, RawHtmlProgress& progress);

// What the conversion of all of `raw` would write, without writing it.
RawHtmlProgress measureRawToHtml(std::u16string_view raw, HtmlConversion mode);
// The measure of two texts one after the other, the first ending with a
// block separator (or ended by a NUL, which ends the whole).
RawHtmlProgress joined(const RawHtmlProgress& first, const RawHtmlProgress& second);

// What a line break puts before the block separator it ends in ("<BR>").
std::u16string_view lineBreakPrefix(HtmlConversion mode);

}  // namespace korvex
