#include "search/textmatch.h"

#include <algorithm>
#include <array>

#include "base/cp1252.h"

namespace korvex::search {
namespace {

constexpr char16_t kLineSeparator = 0x2029;

// Folded letters for the units below 0x180, where every case pair of the code page lies.
constexpr size_t kFoldTableSize = 0x180;

constexpr std::array<char16_t, kFoldTableSize> makeFoldTable() {
    std::array<char16_t, kFoldTableSize> table{};
    for (size_t u = 0; u < table.size(); ++u) table[u] = static_cast<char16_t>(u);
    for (char16_t u = u'A'; u <= u'Z'; ++u) table[u] = static_cast<char16_t>(u + 0x20);
    for (char16_t u = 0xC0; u <= 0xDE; ++u) {
        if (u != 0xD7) table[u] = static_cast<char16_t>(u + 0x20);  // not the multiplication sign
    }
    table[0x160] = 0x161;  // Š
    table[0x152] = 0x153;  // Œ
    table[0x17D] = 0x17E;  // Ž
    table[0x178] = 0xFF;   // Ÿ
    return table;
}

constexpr std::array<char16_t, kFoldTableSize> kFold = makeFoldTable();

bool isLetterOfCodePage(char16_t u) {
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')) return true;
    if (u >= 0xC0 && u <= 0xFF) return u != 0xD7 && u != 0xF7;  // not × and ÷
    switch (u) {
        case 0xAA:   // ª
        case 0xB5:   // µ
        case 0xBA:   // º
        case 0x160:  // Š
        case 0x161:  // š
        case 0x152:  // Œ
        case 0x153:  // œ
        case 0x17D:  // Ž
        case 0x17E:  // ž
        case 0x178:  // Ÿ
        case 0x192:  // ƒ
            return true;
        default: return false;
    }
}

}  // namespace

char16_t foldCase(char16_t unit) { return unit < kFoldTableSize ? kFold[unit] : unit; }

bool isWordCharacter(char16_t unit) {
    const bool digit = (unit >= u'0' && unit <= u'9') || unit == 0xB9 || unit == 0xB2 || unit == 0xB3;  // ¹ ² ³
    return digit || isLetterOfCodePage(unit);
}

size_t firstUnstorable(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character beyond the code page, and so is a lone half.
        if (!cp1252::canEncode(text[i])) return i;
    }
    return std::u16string_view::npos;
}

Matcher::Matcher(std::u16string_view pattern, MatchRules rules) : rules_(rules) {
    // Line breaks cannot be typed into the single-line field; an unstorable
    // character can never be in the text.
    if (firstUnstorable(pattern) != std::u16string_view::npos) return;
    pattern_.assign(pattern);
    if (!rules_.matchCase) std::transform(pattern_.begin(), pattern_.end(), pattern_.begin(), foldCase);
}

bool Matcher::matchesAt(std::u16string_view text, size_t at) const {
    if (text.size() - at < pattern_.size()) return false;
    if (rules_.matchCase) return text.compare(at, pattern_.size(), pattern_) == 0;
    for (size_t k = 0; k < pattern_.size(); ++k) {
        if (foldCase(text[at + k]) != pattern_[k]) return false;
    }
    return true;
}

// No word character just before or just after the match.
bool Matcher::standsAlone(std::u16string_view text, size_t at) const {
    if (!rules_.wholeWord) return true;
    const size_t end = at + pattern_.size();
    return (at == 0 || !isWordCharacter(text[at - 1])) && (end == text.size() || !isWordCharacter(text[end]));
}

bool Matcher::isMatchAt(std::u16string_view text, size_t start, size_t length) const {
    return canMatch() && length == pattern_.size() && start <= text.size() && matchesAt(text, start) &&
           standsAlone(text, start);
}

std::optional<Match> Matcher::findForward(std::u16string_view text, size_t from) const {
    if (!canMatch() || from > text.size() || text.size() - from < pattern_.size()) return std::nullopt;
    const char16_t first = pattern_[0];
    const size_t last = text.size() - pattern_.size();
    // The first unit is compared on its own: most places end there.
    if (rules_.matchCase) {
        for (size_t at = from; at <= last; ++at) {
            if (text[at] == first && matchesAt(text, at) && standsAlone(text, at)) return Match{at, pattern_.size()};
        }
    } else {
        for (size_t at = from; at <= last; ++at) {
            if (foldCase(text[at]) == first && matchesAt(text, at) && standsAlone(text, at)) {
                return Match{at, pattern_.size()};
            }
        }
    }
    return std::nullopt;
}

std::optional<Match> Matcher::findBackward(std::u16string_view text, size_t end) const {
    end = std::min(end, text.size());
    if (!canMatch() || end < pattern_.size()) return std::nullopt;
    for (size_t at = end - pattern_.size() + 1; at-- > 0;) {
        if (matchesAt(text, at) && standsAlone(text, at)) return Match{at, pattern_.size()};
    }
    return std::nullopt;
}

std::vector<size_t> Matcher::findAll(std::u16string_view text) const {
    std::vector<size_t> starts;
    for (auto match = findForward(text, 0); match; match = findForward(text, match->start + match->length)) {
        starts.push_back(match->start);
    }
    return starts;
}

ReplacedShape shapeAfterReplacing(std::u16string_view text, const std::vector<size_t>& starts, size_t matchLength,
                                  size_t replacementLength) {
    ReplacedShape shape;
    shape.characters = text.size() - starts.size() * matchLength + starts.size() * replacementLength;
    shape.lines = static_cast<size_t>(std::count(text.begin(), text.end(), kLineSeparator)) + 1;
    // Only the lines with a match change; each is measured once.
    size_t lineEnd = 0;
    size_t k = 0;
    while (k < starts.size()) {
        const size_t lineStart = text.rfind(kLineSeparator, starts[k]);
        const size_t from = lineStart == std::u16string_view::npos ? 0 : lineStart + 1;
        lineEnd = std::min(text.find(kLineSeparator, starts[k]), text.size());
        size_t inLine = 0;
        for (; k < starts.size() && starts[k] < lineEnd; ++k) ++inLine;
        const size_t length = lineEnd - from - inLine * matchLength + inLine * replacementLength;
        shape.longestLine = std::max(shape.longestLine, length);
    }
    return shape;
}

}  // namespace korvex::search
