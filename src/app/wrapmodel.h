#pragma once

#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QFont;

namespace korvex {

// Counts the display lines of a hard line without Qt's text layout, for
// fixed-pitch fonts. It follows Qt's line filling step by step (word
// segments, hanging spaces, the right-bearing rule and the retry that
// breaks a too long first word anywhere) for a set of characters whose
// break rules it knows: letters, digits, the space, - . , ; : ! ? " ' and
// the symbols & < > # = * @ _ ~.
// Anything else (tabs, soft hyphens, non-breaking spaces, other symbols)
// makes it answer "don't know", and the caller asks Qt.
class WrapModel {
public:
    // A model for the font, or nothing when the font is not fixed-pitch or
    // its characters do not all advance by the same width.
    static std::optional<WrapModel> forFont(const QFont& font);

    // Lines of `text` laid out in `width` (1/64 pixel), or -1 when the
    // text holds a character the model does not follow.
    int lineCount(QStringView text, int width) const;
    // Where each of those lines starts in `text` (the first at 0); false,
    // with no starts, when the model does not follow the text.
    bool lineStarts(QStringView text, int width, std::vector<int>& starts) const;

    int advance() const { return advance_; }

    // Stop: . , ; : which Qt joins to a following digit or not depending on
    // what precedes; the model leaves such text to Qt.
    enum Kind : uint8_t { Unknown, Space, Letter, Digit, Hyphen, Exclamation, Stop, Quote };
    // Whether Qt may break a line between two adjacent non-space characters.
    static bool breakBetween(Kind before, Kind after) {
        return (before == Hyphen && after == Letter) || (before == Exclamation && (after == Letter || after == Digit));
    }
    static Kind kindOf(char16_t c) { return c < 256 ? kKinds[c] : Unknown; }

private:
    WrapModel() = default;
    static bool follows(QStringView text);
    template <class Take>
    void forEachLineStart(QStringView text, int width, Take take) const;
    // Where the line starting at `from` ends (the next line's start).
    int lineEnd(const char16_t* text, int length, int from, int width, bool anywhere) const;

    static const std::array<Kind, 256> kKinds;
    int advance_ = 0;                      // every character's advance
    int minimumBearing_ = 0;               // the font's smallest right bearing, as a positive overhang
    std::array<int16_t, 256> overhang_{};  // ink past the advance, per character
};

}  // namespace korvex
