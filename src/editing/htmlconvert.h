#pragma once

#include <string>
#include <string_view>

namespace korvex {

// The two buttons of the HTML conversion: "Repl" leaves tags alone, "RAll"
// also turns < and > into entities.
enum class HtmlConversion { KeepTags, All };

// Windows-1252 text with CR LF line breaks to HTML character entities; every
// CR LF pair gets a "<BR>" in front of it. One pass over the bytes.
std::string convertToHtml(std::string_view text, HtmlConversion mode);

// The same conversion done literally, one replacement after the other over the
// whole text. Slow; it exists to check convertToHtml against.
std::string convertToHtmlStepByStep(std::string_view text, HtmlConversion mode);

}  // namespace korvex
