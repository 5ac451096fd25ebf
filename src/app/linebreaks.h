#pragma once

#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

namespace korvex {

// Where Qt's text layout may end a line inside a run of characters, for
// every character a document can hold (the 256 of Windows-1252 as they
// decode). It mirrors the pair table of Qt's line breaking (Unicode's
// line-breaking algorithm as Qt tailors it: numbers such as 7.158,39 are
// kept whole, combining controls stick to what precedes them) and marks
// the characters Qt's layout treats as white space or as a tab.
// Guarded by WrapModelTest.BreakChancesAreQtsOnEveryCharacter.
class LineBreaks {
public:
    enum Flag : uint8_t {
        BreakBefore = 1,  // a line may start here, inside a run of characters
        WhiteSpace = 2,   // hangs at a line end, like a space
        Tab = 4,          // advances to the next tab stop
        Uneven = 8,       // may advance unlike a letter (a tab, a form feed)
    };

    // The slot (the Windows-1252 byte) of a character, or -1 for one a document cannot hold.
    static int slotOf(char16_t c) { return c < kSlots.size() ? kSlots[c] : -1; }

    // One flag set per character of `text`, in `flags`; false when the text
    // holds a character outside the set.
    static bool find(QStringView text, std::vector<Flag>& flags);

private:
    static const std::array<int16_t, 0x2200> kSlots;
};

}  // namespace korvex
