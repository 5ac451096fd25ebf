#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What "Suchen" and "Ersetzen" count as a match in the text window's raw
// text (UTF-16 units of Windows-1252 characters, U+2029 between lines).
namespace korvex::search {

struct MatchRules {
    bool matchCase = false;  // "Groß-/Kleinschreibung beachten"
    bool wholeWord = false;  // "Nur ganzes Wort"
};

// The letter a comparison without regard to case sees: the upper and lower
// case pairs of Windows-1252 (ä/Ä, ö/Ö, ü/Ü, é/É, š/Š, œ/Œ, ž/Ž, ÿ/Ÿ, ...)
// fall together; ß has no capital in the code page and stays itself.
char16_t foldCase(char16_t unit);
// Letters and digits of Windows-1252 make words; everything else, the line
// separator included, stands between them.
bool isWordCharacter(char16_t unit);
// The first character of `text` that the code page cannot hold (it would
// become "?"), or npos when it can hold all of them.
size_t firstUnstorable(std::u16string_view text);

struct Match {
    size_t start = 0;
    size_t length = 0;
    bool operator==(const Match&) const = default;
};

// One search text under one set of rules. A search text the code page
// cannot hold, or an empty one, matches nothing.
class Matcher {
public:
    Matcher(std::u16string_view pattern, MatchRules rules);

    bool canMatch() const { return !pattern_.empty(); }
    size_t patternLength() const { return pattern_.size(); }
    // The first match that starts at or after `from`.
    std::optional<Match> findForward(std::u16string_view text, size_t from) const;
    // The last match that ends at or before `end`.
    std::optional<Match> findBackward(std::u16string_view text, size_t end) const;
    // Whether exactly `text[start, start + length)` is a match.
    bool isMatchAt(std::u16string_view text, size_t start, size_t length) const;
    // Every match from left to right, none overlapping the one before, as
    // a replacement of all of them sees them.
    std::vector<size_t> findAll(std::u16string_view text) const;

private:
    bool matchesAt(std::u16string_view text, size_t at) const;
    bool standsAlone(std::u16string_view text, size_t at) const;

    std::u16string pattern_;  // case folded unless the case counts
    MatchRules rules_;
    size_t findOne(std::u16string_view text, size_t from, size_t end) const;

    std::array<char16_t, 2> firstUnits_{};  // what the first unit of a match may be
    std::array<char16_t, 2> secondUnits_{};
};

}  // namespace korvex::search
