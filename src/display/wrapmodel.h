#pragma once

#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "display/linebreaks.h"

class QFont;
class QTextOption;

namespace korvex {

// Lays out a hard line (block) into display lines without Qt's text layout,
// for fixed-pitch fonts and every character a document can hold. It mirrors
// how QTextLine fills a line (QTextLine::layout_helper): runs of characters
// between break chances are added while they fit, spaces count only once a
// run follows them and hang at the line's end, a tab reaches the next tab
// stop, a run's last right bearing counts only near the edge, a run ending
// after a soft hyphen must leave room for a hyphen (which the line keeps if it
// ends there), and a first run too long for the line (a hyphen included) makes
// the whole line be filled again breaking anywhere. Left to Qt: a soft hyphen
// just before Qt cuts a line of more than 4096 characters into items (there it
// keeps the hyphen's width for the word going on).
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
    // How near the edge (1/64 pixel) the layout looks at right bearings, at most the largest overhang.
    int bearingReach(const QFont& font) const;
    class LineFill;
    template <class Take>
    bool forEachLineStart(QStringView text, int width, Take take) const;
    int lineEnd(QStringView text, int from, int width, bool anywhere) const;
    // True when the model follows `text` (any character a document can hold);
    // notes where its tabs, form feeds and soft hyphens are.
    bool scan(QStringView text) const;
    // A soft hyphen of `text` (scanned) right before the end of one of Qt's items but at a tab.
    bool softHyphenEndsItem(QStringView text) const;
    // The first tab, form feed or soft hyphen at or after `from` in the text being laid out (its length if none).
    int nextUneven(int from) const;
    // Where a line `x` wide ends after the tab, form feed or soft hyphen `c`.
    int64_t afterUneven(char16_t c, int64_t x) const;
    // Where the glyph is that Qt takes as the one before a run starting after
    // the tab at `tab` (-1: none).
    int glyphAfterTab(int tab) const;
    // Where Qt's item holding `pos` (no tab) starts: after a tab, every 4096 characters.
    int itemStart(int pos) const;
    // The last tab before `pos` (-1 if none), the first at or after `from` (the text's length if none).
    int previousTab(int pos) const;
    int nextTab(int from) const;

    // Per Windows-1252 byte, in 1/64 pixel as Qt keeps lengths.
    std::array<int, 256> advance_{};   // as the layout adds it (0 for characters it does not print)
    std::array<int, 256> overhang_{};  // ink past the advance
    int minimumBearing_ = 0;           // how near the edge the layout looks at right bearings
    int evenAdvance_ = 0;              // every character's advance but a tab's, a form feed's and a soft hyphen's,
                                       // if they agree
    int hyphen_ = 0;                   // what a line ending after a soft hyphen adds for the hyphen
    int tabStop_ = 0;
    // The text being laid out: its break flags, where its tabs, form feeds and soft hyphens are, and whether it
    // has any soft hyphen.
    mutable QStringView text_;
    mutable LineBreaks breaks_;
    mutable std::vector<int> uneven_;
    mutable bool softHyphens_ = false;
};

}  // namespace korvex
