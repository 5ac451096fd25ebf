#pragma once

#include <cstddef>
#include <string>

namespace korvex::bench {

// German-like prose as Windows-1252 bytes with CR LF: hard lines of 60 to
// 200 characters, about `bytes` long, the same for the same size.
std::string generateProse(size_t bytes);

// Ordinary German text as Windows-1252 bytes with CR LF: paragraphs of up to
// about 900 characters with typographic quotes, prices such as 7.158,39 €,
// dates, times, URLs, e-mail addresses, abbreviations such as "z. B.",
// dashes, parentheses, §, %, tabs, non-breaking spaces, soft hyphens and
// words longer than a line; the same for the same size and seed.
std::string generateGermanText(size_t bytes, unsigned seed = 19);

}  // namespace korvex::bench
