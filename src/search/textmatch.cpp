#include "search/textmatch.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define KORVEX_SEARCH_SSE2 1
#endif

#include "base/cp1252.h"

namespace korvex::search {
namespace {

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

// Where the first place at or after `from` and before `end` stands whose
// unit is one of `first` and whose next unit one of `second` (the text goes
// on past `end` by that one), or npos: eight places at a time where the
// processor can.
size_t findStart(std::u16string_view text, size_t from, size_t end, std::array<char16_t, 2> first,
                 std::array<char16_t, 2> second) {
    size_t at = from;
#ifdef KORVEX_SEARCH_SSE2
    const auto either = [](__m128i units, __m128i a, __m128i b) {
        return _mm_or_si128(_mm_cmpeq_epi16(units, a), _mm_cmpeq_epi16(units, b));
    };
    const __m128i first0 = _mm_set1_epi16(static_cast<short>(first[0]));
    const __m128i first1 = _mm_set1_epi16(static_cast<short>(first[1]));
    const __m128i second0 = _mm_set1_epi16(static_cast<short>(second[0]));
    const __m128i second1 = _mm_set1_epi16(static_cast<short>(second[1]));
    for (; at + 9 <= end; at += 8) {
        const auto* here = reinterpret_cast<const __m128i*>(text.data() + at);
        const auto* next = reinterpret_cast<const __m128i*>(text.data() + at + 1);
        const __m128i both = _mm_and_si128(either(_mm_loadu_si128(here), first0, first1),
                                           either(_mm_loadu_si128(next), second0, second1));
        const int found = _mm_movemask_epi8(both);
        if (found != 0) return at + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(found))) / 2;
    }
#endif
    for (; at < end; ++at) {
        const char16_t u = text[at];
        const char16_t v = at + 1 < text.size() ? text[at + 1] : char16_t{0};
        if ((u == first[0] || u == first[1]) && (v == second[0] || v == second[1])) return at;
    }
    return std::u16string_view::npos;
}

// The unit as it may stand in the text: with its case partner unless the case counts.
std::array<char16_t, 2> asInText(char16_t folded, bool matchCase) {
    std::array<char16_t, 2> units{folded, folded};
    if (matchCase || folded >= kFoldTableSize) return units;
    for (size_t u = 0; u < kFoldTableSize; ++u) {
        if (kFold[u] == folded && u != folded) units[1] = static_cast<char16_t>(u);
    }
    return units;
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
    if (pattern_.empty()) return;
    if (!rules_.matchCase) std::transform(pattern_.begin(), pattern_.end(), pattern_.begin(), foldCase);
    firstUnits_ = asInText(pattern_[0], rules_.matchCase);
    if (pattern_.size() > 1) secondUnits_ = asInText(pattern_[1], rules_.matchCase);
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
    const size_t end = text.size() - pattern_.size() + 1;  // where a match can no longer start
    for (size_t at = from; at < end; ++at) {
        at = pattern_.size() > 1 ? findStart(text, at, end, firstUnits_, secondUnits_) : findOne(text, at, end);
        if (at == std::u16string_view::npos) break;
        if (matchesAt(text, at) && standsAlone(text, at)) return Match{at, pattern_.size()};
    }
    return std::nullopt;
}

size_t Matcher::findOne(std::u16string_view text, size_t from, size_t end) const {
    for (size_t at = from; at < end; ++at) {
        if (text[at] == firstUnits_[0] || text[at] == firstUnits_[1]) return at;
    }
    return std::u16string_view::npos;
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

}  // namespace korvex::search
