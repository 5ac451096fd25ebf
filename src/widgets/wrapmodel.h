#pragma once

#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "widgets/linebreaks.h"

class QFont;
class QTextOption;

namespace korvex {

// Lays out a hard line (block) into display lines without Qt's text layout,
// for fixed-pitch fonts and every character a document can hold but the
// soft hyphen (lines with one are left to Qt). It mirrors
// how QTextLine fills a line (QTextLine::layout_helper): runs of characters
// between break chances are added while they fit, spaces count only once a
// run follows them and hang at the line's end, a tab reaches the next tab
// stop, a run's last right bearing counts only near the edge, and a first run too
// long for the line makes the whole line be filled again breaking anywhere.
// What surely fits (tabs included) is taken at once, and break chances are
// found only near each line's end, so a line costs little more than a look
// at its end. Guarded by WrapModelTest.LineStartsAreQtsForEveryCharacterAnd-
// GermanText (the oracle against Qt's own layout) and MainWindowTest.Display-
// LineCountsEqualQtLayoutOfEveryBlock.
class WrapModel {
public:
    // A model for the font and text option, or nothing when the font is not
    // fixed-pitch or its characters' widths do not simply add up.
    static std::optional<WrapModel> forFont(const QFont& font, const QTextOption& option);

    // Lines of `text` laid out in `width` (1/64 pixel), or -1 when the text
    // holds a character the model does not follow.
    int lineCount(QStringView text, int width) const;
    // Where each of those lines starts in `text` (the first at 0); false,
    // with no starts, when the model does not follow the text.
    bool lineStarts(QStringView text, int width, std::vector<int>& starts) const;

private:
    WrapModel() = default;
    class LineFill;
    template <class Take>
    bool forEachLineStart(QStringView text, int width, Take take) const;
    int lineEnd(QStringView text, int from, int width, bool anywhere) const;
    // True when the model follows every character of `text` (any a document
    // can hold but the soft hyphen); notes where its tabs and form feeds are.
    bool scan(QStringView text) const;
    // The first tab or form feed at or after `from` in the text being laid out (its length if none).
    int nextUneven(int from) const;
    // Where a line `x` wide ends after the tab or form feed `c`.
    int64_t afterUneven(char16_t c, int64_t x) const;

    // Per Windows-1252 byte, in 1/64 pixel as Qt keeps lengths.
    std::array<int, 256> advance_{};   // as the layout adds it (0 for characters it does not print)
    std::array<int, 256> overhang_{};  // ink past the advance
    int minimumBearing_ = 0;           // the font's largest overhang, as a positive number
    int evenAdvance_ = 0;              // every character's advance but a tab's and a form feed's, if they agree
    int tabStop_ = 0;
    // The text being laid out: its break flags, and where its tabs and form feeds are.
    mutable QStringView text_;
    mutable LineBreaks breaks_;
    mutable std::vector<int> uneven_;
};

}  // namespace korvex
