#include "editing/htmlconvert.h"

#include <array>
#include <utility>

namespace korvex {
namespace {

struct Replacement {
    std::string_view find;
    std::string_view replaceWith;
    bool tagsToo;  // only with HtmlConversion::All
};

// The replacements in the order the step-by-step definition applies them.
// The ampersand must come first, or the entities made later would be mangled.
constexpr std::array<Replacement, 14> kReplacements = {{
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

constexpr bool applies(const Replacement& r, HtmlConversion mode) { return !r.tagsToo || mode == HtmlConversion::All; }

// What a byte turns into: its single-byte replacement, or, when the next byte
// is `pairSecond`, the replacement of that two-byte pair.
struct ByteRule {
    std::string_view single;
    char pairSecond = 0;
    std::string_view pair;
};

using ByteRules = std::array<ByteRule, 256>;

constexpr ByteRules makeRules(HtmlConversion mode) {
    ByteRules rules{};
    for (const Replacement& r : kReplacements) {
        if (!applies(r, mode)) continue;
        ByteRule& rule = rules[static_cast<unsigned char>(r.find[0])];
        if (r.find.size() == 1) {
            rule.single = r.replaceWith;
        } else {
            rule.pairSecond = r.find[1];
            rule.pair = r.replaceWith;
        }
    }
    return rules;
}

// One pass gives the same result as the step-by-step definition only if no
// replacement text holds a byte that a later step looks for, and the bytes of a
// two-byte find are neither single-byte finds nor the start of another pair.
constexpr bool onePassIsFaithful() {
    for (size_t i = 0; i < kReplacements.size(); ++i) {
        const Replacement& r = kReplacements[i];
        if (r.find.empty() || r.find.size() > 2) return false;
        for (size_t j = 0; j < kReplacements.size(); ++j) {
            const Replacement& other = kReplacements[j];
            if (j > i && r.replaceWith.find_first_of(other.find) != std::string_view::npos) return false;
            if (j == i || r.find.size() != 2) continue;
            if (other.find.size() == 1 && r.find.find(other.find) != std::string_view::npos) return false;
            if (other.find.size() == 2 && other.find[0] == r.find[0]) return false;
        }
    }
    return true;
}
static_assert(onePassIsFaithful());

constexpr ByteRules kKeepTagsRules = makeRules(HtmlConversion::KeepTags);
constexpr ByteRules kAllRules = makeRules(HtmlConversion::All);

void replaceAll(std::string& text, std::string_view find, std::string_view replaceWith) {
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, from)) {
        result.append(text, from, at - from);
        result.append(replaceWith);
        from = at + find.size();
    }
    result.append(text, from);
    text = std::move(result);
}

}  // namespace

std::string convertToHtml(std::string_view text, HtmlConversion mode) {
    const ByteRules& rules = mode == HtmlConversion::All ? kAllRules : kKeepTagsRules;
    std::string out;
    // Umlauts and line breaks make German text grow by a few per cent.
    out.reserve(text.size() + text.size() / 8 + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const ByteRule& rule = rules[static_cast<unsigned char>(text[i])];
        if (!rule.pair.empty() && i + 1 < text.size() && text[i + 1] == rule.pairSecond) {
            out.append(rule.pair);
            ++i;
        } else if (!rule.single.empty()) {
            out.append(rule.single);
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string convertToHtmlStepByStep(std::string_view text, HtmlConversion mode) {
    std::string result(text);
    for (const Replacement& r : kReplacements) {
        if (applies(r, mode)) replaceAll(result, r.find, r.replaceWith);
    }
    return result;
}

}  // namespace korvex
