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
// the characters Qt's layout treats as white space or as a tab. The flags
// can be found for a whole text at once or only where they are asked for,
// going on after a space from a state that does not depend on what came
// before. Guarded by WrapModelTest.BreakChancesAreQtsOnEveryCharacter (both
// ways, against Qt's boundary finder).
class LineBreaks {
public:
    enum Flag : uint8_t {
        BreakBefore = 1,  // a line may start here, inside a run of characters
        WhiteSpace = 2,   // hangs at a line end, like a space
        Tab = 4,          // advances to the next tab stop
        Uneven = 8,       // may advance unlike a letter (a tab, a form feed)
    };

    // White space as Qt's layout has it: hangs at a line's end. The
    // non-breaking space is not among it: Qt lays it out like a letter.
    static bool isWhiteSpace(char16_t c) { return c == 0x20 || c == 0x09 || c == 0x0B || c == 0x0C; }

    // The slot (the Windows-1252 byte) of a character, or -1 for one a document cannot hold.
    static int slotOf(char16_t c) { return c < kSlots.size() ? kSlots[c] : -1; }

    // One flag set per character of `text`, in `flags`; false when the text
    // holds a character outside the set.
    static bool find(QStringView text, std::vector<Flag>& flags);

    // The flags of one text found only where they are asked for: a line of a
    // long hard line needs them near its end, not along all of it. The text
    // must hold only characters of the set and outlive the asking.
    void start(QStringView text);
    Flag at(int pos) {
        if (pos >= done_ || pos < lastGapEnd_) make(pos);
        return flags_[static_cast<size_t>(pos)];
    }
    // The flags before `pos` and from where they are known are not needed
    // unless asked for later: the walk may go on from a place shortly before
    // (the start of the word).
    void skipTo(int pos);

    // The walker's memory of the text before a place (see linebreaks.cpp).
    struct State {
        uint8_t last = kStart;
        uint8_t cls = kStart;
        uint8_t numberPart = 0;
        bool inWord = false;
        int numberStart = 0;
        static constexpr uint8_t kStart = 20;  // as after a hard break
    };

private:
    struct Gap {
        int from;
        int to;
        State state;  // at `from`
    };
    void make(int pos);
    void walk(State& state, int from, int to);
    void fill(size_t gap);

    static const std::array<int16_t, 0x2200> kSlots;
    const char16_t* text_ = nullptr;
    int length_ = 0;
    std::vector<Flag> flags_;
    int done_ = 0;  // flags before it are known, but in gaps
    State state_;   // at done_
    std::vector<Gap> gaps_;
    int lastGapEnd_ = 0;
};

}  // namespace korvex
