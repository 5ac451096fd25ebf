#include "editing/htmlconvert.h"

#include "base/cp1252.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace korvex {
namespace {

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
    for (const HtmlReplacement& r : kHtmlReplacements) {
        if (!r.appliesTo(mode)) continue;
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
    for (size_t i = 0; i < kHtmlReplacements.size(); ++i) {
        const HtmlReplacement& r = kHtmlReplacements[i];
        if (r.find.empty() || r.find.size() > 2) return false;
        for (size_t j = 0; j < kHtmlReplacements.size(); ++j) {
            const HtmlReplacement& other = kHtmlReplacements[j];
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

// What one unit of a raw text becomes in the converted raw text.
struct RawRule {
    std::array<char16_t, kRawHtmlSlack> text{};
    unsigned char size = 0;
    bool isBreak = false;
};

using RawRules = std::array<RawRule, 256>;

constexpr char16_t kBlockSeparator = 0x2029;

// Indexed by the byte a unit is saved as. A break is saved as CR LF, so it
// meets the CR LF rule; a CR of the text stays alone and loads as a break.
RawRules makeRawRulesByByte(HtmlConversion mode) {
    const ByteRules& rules = mode == HtmlConversion::All ? kAllRules : kKeepTagsRules;
    RawRules raw{};
    for (int b = 0; b < 256; ++b) {
        const ByteRule& rule = rules[static_cast<size_t>(b)];
        RawRule& r = raw[static_cast<size_t>(b)];
        const auto put = [&r](char16_t u) { r.text[r.size++] = u; };
        if (b == '\r') {
            put(kBlockSeparator);
            r.isBreak = true;
        } else if (b == '\n') {
            const std::string_view brk = rules[static_cast<size_t>('\r')].pair;  // "<BR>\r\n"
            for (const char c : brk.substr(0, brk.size() - 2)) put(static_cast<char16_t>(c));
            put(kBlockSeparator);
            r.isBreak = true;
        } else if (!rule.single.empty()) {
            for (const char c : rule.single) put(static_cast<char16_t>(c));  // entities are ASCII
        } else if (b != 0) {
            put(cp1252::toUnicode(static_cast<unsigned char>(b)));
        }
    }
    return raw;
}

// The rules for the units below 0x100, and the ones for every other unit by its byte.
struct RawTables {
    RawRules byUnit;
    RawRules byByte;
};

RawTables makeRawTables(HtmlConversion mode) {
    RawTables tables{{}, makeRawRulesByByte(mode)};
    for (char16_t u = 0; u < 256; ++u) {
        // As the window saves it: ASCII and the Latin-1 half stay, the rest goes through the code page.
        const unsigned char b = u < 0x80 || u >= 0xA0 ? static_cast<unsigned char>(u) : cp1252::fromUnicode(u);
        tables.byUnit[u] = tables.byByte[b];
    }
    return tables;
}

}  // namespace

namespace {

const RawTables& rawTables(HtmlConversion mode) {
    static const RawTables keepTags = makeRawTables(HtmlConversion::KeepTags);
    static const RawTables all = makeRawTables(HtmlConversion::All);
    return mode == HtmlConversion::All ? all : keepTags;
}

// The one walk of the conversion: writes into `out` when given one, else
// only measures what it would write.
template <bool writes>
void walkRawToHtml(std::u16string_view raw, HtmlConversion mode, std::span<char16_t> out, RawHtmlProgress& progress) {
    const RawTables& tables = rawTables(mode);
    const RawRule& lineBreak = tables.byByte['\n'];
    if (writes && out.size() < kRawHtmlSlack) return;
    const size_t last = writes ? out.size() - kRawHtmlSlack : std::numeric_limits<size_t>::max();
    size_t i = progress.read;
    size_t o = progress.written;
    size_t breaks = progress.breaks;
    size_t lineStart = progress.lineStart;
    size_t longest = progress.longest;
    char16_t* const dest = out.data();
    while (i < raw.size() && o <= last) {
        const char16_t u = raw[i];
        const RawRule* rule = nullptr;
        if (u < 0x100) {
            if (u == 0) {
                progress.ended = true;
                break;
            }
            rule = &tables.byUnit[u];
        } else if (u == 0x2028 || u == kBlockSeparator) {
            rule = &lineBreak;
        } else {
            rule = &tables.byByte[cp1252::fromUnicode(u)];
        }
        // The whole slot is copied; only `size` units of it count.
        if constexpr (writes) std::memcpy(dest + o, rule->text.data(), sizeof(rule->text));
        o += rule->size;
        if (rule->isBreak) {  // the separator ends the rule
            ++breaks;
            longest = std::max(longest, o - 1 - lineStart);
            lineStart = o;
        }
        ++i;
    }
    progress.read = i;
    progress.written = o;
    progress.breaks = breaks;
    progress.lineStart = lineStart;
    progress.longest = longest;
}

}  // namespace

void convertRawToHtml(std::u16string_view raw, HtmlConversion mode, std::span<char16_t> out,
                      RawHtmlProgress& progress) {
    walkRawToHtml<true>(raw, mode, out, progress);
}

RawHtmlProgress measureRawToHtml(std::u16string_view raw, HtmlConversion mode) {
    RawHtmlProgress progress;
    walkRawToHtml<false>(raw, mode, {}, progress);
    return progress;
}

RawHtmlProgress joined(const RawHtmlProgress& first, const RawHtmlProgress& second) {
    if (first.ended) return first;
    RawHtmlProgress both = second;
    both.read += first.read;
    both.written += first.written;
    both.breaks += first.breaks;
    both.lineStart += first.written;
    both.longest = std::max(first.longest, second.longest);
    return both;
}

std::u16string_view lineBreakPrefix(HtmlConversion mode) {
    const RawRule& lineBreak = rawTables(mode).byByte['\n'];
    return {lineBreak.text.data(), lineBreak.size - 1u};
}

}  // namespace korvex
