#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "search/textmatch.h"

namespace korvex::search {
void PrintTo(const Match& match, std::ostream* os) {
    *os << "{start " << match.start << ", length " << match.length << "}";
}
}  // namespace korvex::search

using namespace korvex::search;

namespace {

std::vector<size_t> all(std::u16string_view pattern, std::u16string_view text, MatchRules rules = {}) {
    return Matcher(pattern, rules).findAll(text);
}

// The case pairs of the code page fall together, and nothing else does: ß
// is no "ss", and a text spelled with "SS" is a different word.
TEST(TextMatch, GermanCaseFoldingOfTheCodePage) {
    EXPECT_EQ(all(u"ÄRGER über Öl", u"ärger ÜBER öl; Ärger über Öl"), (std::vector<size_t>{0, 15}));
    EXPECT_EQ(all(u"straße", u"STRAßE Strasse STRASSE"), (std::vector<size_t>{0}));
    EXPECT_EQ(all(u"ß", u"ss SS ß"), (std::vector<size_t>{6}));
    EXPECT_EQ(all(u"šœžÿé", u"ŠŒŽŸÉ"), (std::vector<size_t>{0}));
    EXPECT_EQ(all(u"×", u"÷×"), (std::vector<size_t>{1}));  // no letters, no case
    EXPECT_EQ(all(u"Ärger", u"ärger Ärger", {.matchCase = true}), (std::vector<size_t>{6}));
}

// Letters beyond ASCII and digits belong to a word; the line separator and
// the ends of the text do not.
TEST(TextMatch, WholeWordAtTheEndsOfLinesAndOfTheText) {
    const MatchRules whole{.wholeWord = true};
    const std::u16string text = u"Wort\u2029Wort Worte\u2029Wortä xWort Wort1 (Wort)\u2029Wort";
    EXPECT_EQ(all(u"wort", text, whole), (std::vector<size_t>{0, 5, 35, 41}));
    EXPECT_EQ(all(u"wort", text).size(), 8u);
    const Matcher matcher(u"Wort", whole);
    EXPECT_EQ(matcher.findBackward(text, text.size()), (Match{41, 4}));
    EXPECT_EQ(matcher.findBackward(text, 44), (Match{35, 4}));  // the last one ends beyond
    EXPECT_EQ(matcher.findForward(text, 1), (Match{5, 4}));
    EXPECT_TRUE(matcher.isMatchAt(text, 5, 4));
    EXPECT_FALSE(matcher.isMatchAt(text, 10, 4));  // "Worte"
}

// What the code page cannot hold is never in the text: such a search text
// finds nothing, not even the "?" it would have become.
TEST(TextMatch, SearchTextTheCodePageCannotHoldFindsNothing) {
    EXPECT_EQ(firstUnstorable(u"a€b→c"), 3u);
    EXPECT_EQ(firstUnstorable(u"ÄÖÜäöüß€Ÿ"), std::u16string_view::npos);
    EXPECT_FALSE(Matcher(u"a→b", {}).canMatch());
    EXPECT_TRUE(all(u"a→b", u"a?b").empty());
    EXPECT_TRUE(all(u"\U0001F600", u"??").empty());
    EXPECT_TRUE(all(u"", u"abc").empty());
}

TEST(TextMatch, MatchesDoNotOverlap) { EXPECT_EQ(all(u"aa", u"aaaaa"), (std::vector<size_t>{0, 2})); }

}  // namespace
