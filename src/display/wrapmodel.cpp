#include "display/wrapmodel.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/cp1252.h"
#include "display/linebreaks.h"

namespace korvex {
namespace {

// Qt draws a soft hyphen as a hyphen, but adds its width to a line only
// where the line may end after it (see LineFill::reservesHyphen).
constexpr char16_t kSoftHyphen = 0xAD;
// Qt cuts a run of text without tabs into items of this many characters.
constexpr int kLongestItem = 4096;
// Longer hard lines than the text window accepts are left to Qt.
constexpr int kLongestModelledLine = 64 * 1024;

// Qt keeps lengths in 26.6 fixed point.
bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

int toFixed(qreal value) { return static_cast<int>(std::lround(value * 64.0)); }

// The advance Qt's layout gives `text` on one unbroken line, in 1/64 pixel.
int layoutAdvance(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    return toFixed(line.horizontalAdvance());
}

// Whether Qt's layout, breaking at words only, needs a second line for `text`
// in a line `width` (1/64 pixel) wide.
bool wrapsIn(const QFont& font, const QString& text, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine().setLineWidth(width / 64.0);
    const bool wraps = layout.createLine().isValid();
    layout.endLayout();
    return wraps;
}

}  // namespace

// One display line being filled, step for step as QTextLine does it: a run
// of characters and the spaces before it stay pending until the run is
// known to fit; only then they join the line.
class WrapModel::LineFill {
public:
    LineFill(const WrapModel& model, QStringView text, int from, int width, bool anywhere)
        : model_(model),
          text_(text.utf16()),
          length_(static_cast<int>(text.size())),
          pos_(from),
          width_(width),
          anywhere_(anywhere) {}

    // The start of the next line.
    int end(int from) {
        if (!anywhere_ && model_.evenAdvance_ > 0 && jumpAhead()) return length_;
        bool found = false;
        while (pos_ < length_ && !found) {
            bearing_ = kUnset;
            if (text_[pos_] == u'\t') {
                found = addTab();
            } else if (isWhite(pos_)) {
                found = addSpaces();
            } else {
                found = addRun();
            }
        }
        if (!found) {
            fullOtherwiseExtend();
            lineWidth_ += lineHyphen_;
        }
        if (bearing_ == kUnset && !afterSpace_ && pos_ > 0) bearing_ = -overhang(pos_ - 1);
        textWidth_ = lineWidth_ - std::min<int64_t>(0, bearing_);
        if (lineLength_ == 0) {
            lineLength_ = runLength_;
            textWidth_ += runWidth_;
        }
        return std::max(from + 1, from + lineLength_ + spaceLength_);
    }

    // Wider than the line after all: a first run longer than a line.
    bool overflows() const { return overflowed_ || textWidth_ > width_; }

private:
    static constexpr int64_t kUnset = 1;  // right bearings that count are never positive

    bool isWhite(int pos) const { return LineBreaks::isWhiteSpace(text_[pos]); }
    // A run ends before `pos`: at white space or a break chance.
    bool runEndsBefore(int pos) const { return isWhite(pos) || (model_.breaks_.at(pos) & LineBreaks::BreakBefore); }
    int slot(int pos) const { return LineBreaks::slotOf(text_[pos]); }
    int64_t overhang(int pos) const { return model_.overhang_[static_cast<size_t>(slot(pos))]; }

    // The hyphen a run ending after a soft hyphen may need counts only once the line has some width.
    int64_t newWidth() const {
        const int64_t hyphen = lineWidth_ > 0 ? pendingHyphen_ : 0;
        return lineWidth_ + runWidth_ + spaceWidth_ + hyphen - std::min<int64_t>(bearing_, 0);
    }

    // A run ending before `pos` after a soft hyphen: Qt keeps a hyphen's width
    // for it where a line may break there, and where its item ends (at a tab or
    // the text's end).
    bool reservesHyphen(int pos) const {
        if (pos == 0 || text_[pos - 1] != kSoftHyphen) return false;
        return pos == length_ || text_[pos] == u'\t' || (model_.breaks_.at(pos) & LineBreaks::BreakBefore);
    }

    // True when the pending run does not fit; else it joins the line with its spaces.
    bool fullOtherwiseExtend() {
        if (lineLength_ > 0 && newWidth() > width_) return true;
        const int64_t added = runWidth_ + spaceWidth_;
        lineWidth_ += added;
        lineLength_ += runLength_ + spaceLength_;
        runWidth_ = spaceWidth_ = 0;
        runLength_ = spaceLength_ = 0;
        // What was taken decides the hyphen the line needs if it ends here; taking
        // nothing wide, with no hyphen pending, leaves it as it was.
        if (added != 0 || pendingHyphen_ > 0) {
            lineHyphen_ = pendingHyphen_;
            pendingHyphen_ = 0;
        }
        return false;
    }

    bool addTab() {
        afterSpace_ = true;
        if (fullOtherwiseExtend()) return true;
        const int64_t x = lineWidth_ + runWidth_ + spaceWidth_;
        spaceWidth_ += model_.afterUneven(u'\t', x) - x;
        ++spaceLength_;
        ++pos_;
        return fullOtherwiseExtend();
    }

    bool addSpaces() {
        afterSpace_ = true;
        while (pos_ < length_ && isWhite(pos_) && text_[pos_] != u'\t') {
            spaceWidth_ += model_.advance_[static_cast<size_t>(slot(pos_))];
            ++spaceLength_;
            ++pos_;
        }
        if (spaceWidth_ > width_) {
            spaceWidth_ = width_;  // spaces wider than the line hang out of it, all of them
            return true;
        }
        return false;
    }

    // Runs within the width less the bearing reach (and a hyphen's width,
    // where the text has soft hyphens) fit whatever their bearing and hyphen:
    // takes them at once, up to the last run end in reach, instead of run by
    // run. A hyphen the line may keep after them still fits, so it is not noted.
    // True when the rest fits whole.
    bool jumpAhead() {
        const Reach reach = reachFrom(pos_);
        if (reach.limit == length_) return true;
        if (reach.limit <= pos_) return false;
        // The break chance sought is near the limit, most often at the last space:
        // no need to know the chances before it.
        model_.breaks_.skipTo(reach.limit);
        for (int end = reach.limit; end > pos_; --end) {
            if (!isWhite(end - 1) && runEndsBefore(end)) {
                const Reach upToEnd = end >= reach.evenFrom ? reach : reachFrom(pos_, end);
                lineLength_ = end - pos_;
                lineWidth_ = upToEnd.evenX + static_cast<int64_t>(end - upToEnd.evenFrom) * model_.evenAdvance_;
                pos_ = end;
                afterSpace_ = false;
                return false;
            }
        }
        return false;
    }

    // How far from `from` the characters fit in the width less the bearing
    // reach and hyphen (no further than `stop`): before `limit`, the last
    // tab, form feed or soft hyphen before it ending at `evenFrom`, where the
    // line is `evenX` wide.
    struct Reach {
        int limit;
        int evenFrom;
        int64_t evenX;
    };
    Reach reachFrom(int from, int stop = INT_MAX) const {
        const int64_t budget = width_ - model_.minimumBearing_ - (model_.softHyphens_ ? model_.hyphen_ : 0);
        const int64_t advance = model_.evenAdvance_;
        stop = std::min(stop, length_);
        int64_t x = 0;
        for (int p = from;;) {
            const int uneven = std::min(stop, model_.nextUneven(p));
            const int64_t fit = std::max<int64_t>(0, (budget - x) / advance);
            if (uneven - p > fit) return {p + static_cast<int>(fit), p, x};
            if (uneven == stop) return {stop, p, x};
            const int64_t after = x + (uneven - p) * advance;
            const int64_t next = model_.afterUneven(text_[uneven], after);
            if (next > budget) return {uneven, p, x};
            x = next;
            p = uneven + 1;
        }
    }

    bool overflow() {
        overflowed_ = true;
        return true;
    }

    bool addRun() {
        afterSpace_ = false;
        const int start = pos_;
        bool chance = false;
        do {
            runWidth_ += model_.advance_[static_cast<size_t>(slot(pos_))];
            ++runLength_;
            ++pos_;
            if (pos_ >= length_ || runEndsBefore(pos_)) {
                chance = true;
                break;
            }
            // A first run already wider than the line makes it be filled again breaking anywhere:
            // no need to walk the rest of a long word.
            if (lineLength_ == 0 && runWidth_ > width_) return overflow();
        } while (!anywhere_);
        if (reservesHyphen(pos_)) pendingHyphen_ = model_.hyphen_;
        return (chance || anywhere_) && runEndsLine(start);
    }

    // The run's last right bearing counts only when the run comes near the edge;
    // when it does not fit, the bearing of the glyph Qt remembers as the one before it.
    bool runEndsLine(int start) {
        if (newWidth() + model_.minimumBearing_ > width_) bearing_ = -overhang(pos_ - 1);
        if (!fullOtherwiseExtend()) return false;
        lineWidth_ += lineHyphen_;
        const int before = start == 0 ? -1 : text_[start - 1] == u'\t' ? model_.glyphAfterTab(start - 1) : start - 1;
        // Qt skips that glyph when it is the missing-glyph box of a control character.
        if (before >= 0 && !isControl(text_[before])) bearing_ = -overhang(before);
        return true;
    }

    const WrapModel& model_;
    const char16_t* text_;
    int length_;
    int pos_;
    int64_t width_;
    bool anywhere_;

    int64_t lineWidth_ = 0;
    int lineLength_ = 0;
    int64_t runWidth_ = 0;
    int runLength_ = 0;
    int64_t spaceWidth_ = 0;
    int spaceLength_ = 0;
    int64_t bearing_ = kUnset;
    int64_t pendingHyphen_ = 0;  // the hyphen of the run not yet taken
    int64_t lineHyphen_ = 0;     // the hyphen the line needs if it ends after what it took
    bool afterSpace_ = true;
    int64_t textWidth_ = 0;
    bool overflowed_ = false;
};

std::optional<WrapModel> WrapModel::forFont(const QFont& font, const QTextOption& option) {
    if (!QFontInfo(font).fixedPitch()) return std::nullopt;
    const QFontMetricsF metrics(font);
    WrapModel model;
    const QString tail(QLatin1Char('x'));
    const int tailAdvance = layoutAdvance(font, tail);
    QString all;
    int sum = 0;
    for (int byte = 1; byte < 256; ++byte) {
        const char16_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
        if (LineBreaks::slotOf(c) < 0 || c == u'\t') continue;
        // Eight in a row, so that a character the layout does not print shows as 0.
        const int eight = layoutAdvance(font, QString(8, QChar(c)) + tail) - tailAdvance;
        if (eight < 0 || eight % 8 != 0) return std::nullopt;
        model.advance_[static_cast<size_t>(byte)] = eight / 8;
        model.overhang_[static_cast<size_t>(byte)] = -std::min(0, toFixed(metrics.rightBearing(QChar(c))));
        if (c == kSoftHyphen) continue;  // its width depends on where the line ends: below
        all += QChar(c);
        sum += eight / 8;
    }
    // No kerning or ligatures: the characters in a row are as wide as one by one.
    if (layoutAdvance(font, all + tail) - tailAdvance != sum) return std::nullopt;
    // Qt draws a soft hyphen with the font's hyphen-minus, and looks further when the font has none.
    if (!metrics.inFont(QLatin1Char('-'))) return std::nullopt;
    model.overhang_[static_cast<size_t>(kSoftHyphen)] = model.overhang_['-'];
    // A soft hyphen at the text's end: the layout adds the hyphen there.
    model.hyphen_ = layoutAdvance(font, tail + QChar(kSoftHyphen)) - tailAdvance -
                    model.advance_[static_cast<size_t>(kSoftHyphen)];
    model.minimumBearing_ = model.bearingReach(font);
    model.evenAdvance_ = model.advance_['x'];
    for (int byte = 1; byte < 256; ++byte) {
        const char16_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
        const bool uneven = c == u'\t' || c == 0x0C || c == kSoftHyphen || LineBreaks::slotOf(c) < 0;
        if (!uneven && model.advance_[static_cast<size_t>(byte)] != model.evenAdvance_) model.evenAdvance_ = 0;
    }
    model.tabStop_ = option.tabStopDistance() > 0 ? toFixed(option.tabStopDistance()) : 80 * 64;
    return model;
}

// Qt looks at a run's last right bearing only when the run ends within the
// minimum right bearing of its font engine from the edge, which need not be
// what QFontMetricsF reports (it is less at one size of a face here); so it
// is found with the layout: a run ending in the glyph of the largest overhang
// wraps while the line is less than that much wider than the run.
int WrapModel::bearingReach(const QFont& font) const {
    const auto* const widest = std::max_element(overhang_.begin() + ' ' + 1, overhang_.end());
    const auto slot = static_cast<size_t>(widest - overhang_.begin());
    if (*widest == 0) return 0;
    const QString text = QStringLiteral("x ") + QChar(cp1252::toUnicode(static_cast<unsigned char>(slot)));
    const int runs = advance_['x'] + advance_[' '] + advance_[slot];
    int reach = 0;  // the least excess over the runs' width at which the text fits on one line
    for (int step = *widest; step > 0; step /= 2) {
        while (reach + step <= *widest && wrapsIn(font, text, runs + reach + step - 1)) reach += step;
    }
    return reach;
}

template <class Take>
bool WrapModel::forEachLineStart(QStringView text, int width, Take take) const {
    if (text.size() > kLongestModelledLine || !scan(text)) return false;
    text_ = text;
    breaks_.start(text);
    const int length = static_cast<int>(text.size());
    take(0);
    for (int from = 0;;) {
        from = lineEnd(text, from, width, false);
        if (from >= length) return true;
        take(from);
    }
}

int WrapModel::lineEnd(QStringView text, int from, int width, bool anywhere) const {
    LineFill fill(*this, text, from, width, anywhere);
    const int next = fill.end(from);
    if (!anywhere && fill.overflows()) return lineEnd(text, from, width, true);
    return next;
}

int64_t WrapModel::afterUneven(char16_t c, int64_t x) const {
    if (c != u'\t') return x + advance_[static_cast<size_t>(LineBreaks::slotOf(c))];
    // Qt divides in fixed point, rounding, and then cuts off to whole stops.
    const int64_t stop = tabStop_;
    const int64_t stops = ((x * 64 + stop / 2) / stop) >> 6;
    return (stops + 1) * stop;
}

namespace {

// True when none of the 16 characters needs a closer look: four at a time,
// each 16-bit lane tested for 0x20 <= c < 0x7F by the carries of two sums.
bool allPrintableAscii(const char16_t* chars) {
    constexpr uint64_t kHigh = 0x8000'8000'8000'8000;
    constexpr uint64_t kLow = 0x7FFF'7FFF'7FFF'7FFF;
    uint64_t bad = 0;
    for (int i = 0; i < 16; i += 4) {
        uint64_t four = 0;
        std::memcpy(&four, chars + i, sizeof four);
        const uint64_t low = four & kLow;
        bad |= four | ~(low + 0x7FE0'7FE0'7FE0'7FE0) | (low + 0x7F81'7F81'7F81'7F81);
    }
    return (bad & kHigh) == 0;
}

}  // namespace

namespace {

// What the scan needs to know of a character, as flags: nothing, that it
// advances unlike a letter (a tab, a form feed, a soft hyphen), that it is a
// soft hyphen, or that the model does not follow it.
enum Kind : uint8_t { Plain = 0, UnevenKind = 1, Unfollowed = 2, SoftHyphenKind = 4 };

uint8_t findKind(char16_t c) {
    if (c == kSoftHyphen) return UnevenKind | SoftHyphenKind;
    if (c == u'\t' || c == 0x0C) return UnevenKind;
    return LineBreaks::slotOf(c) < 0 ? Unfollowed : Plain;
}

const std::array<uint8_t, 0x2200> kKinds = [] {
    std::array<uint8_t, 0x2200> kinds{};
    for (size_t c = 0; c < kinds.size(); ++c) kinds[c] = findKind(static_cast<char16_t>(c));
    return kinds;
}();

uint8_t kindOf(char16_t c) { return c < kKinds.size() ? kKinds[c] : uint8_t{Unfollowed}; }

}  // namespace

bool WrapModel::scan(QStringView text) const {
    uneven_.clear();
    softHyphens_ = false;
    const char16_t* const chars = text.utf16();
    const int length = static_cast<int>(text.size());
    // Sixteen characters at a time, most of them printable ASCII; the rest without branches.
    const auto noteAll = [this, chars](int from, int to) {
        uint8_t kinds = Plain;
        for (int i = from; i < to; ++i) kinds |= kindOf(chars[i]);
        if (kinds & Unfollowed) return false;
        softHyphens_ = softHyphens_ || (kinds & SoftHyphenKind);
        for (int i = from; kinds != Plain && i < to; ++i) {
            if (kindOf(chars[i]) & UnevenKind) uneven_.push_back(i);
        }
        return true;
    };
    int pos = 0;
    for (; pos + 16 <= length; pos += 16) {
        if (!allPrintableAscii(chars + pos) && !noteAll(pos, pos + 16)) return false;
    }
    return noteAll(pos, length) && !(softHyphens_ && length > kLongestItem && softHyphenEndsItem(text));
}

bool WrapModel::softHyphenEndsItem(QStringView text) const {
    const int length = static_cast<int>(text.size());
    int itemsFrom = 0;  // after the last tab
    for (const int pos : uneven_) {
        if (text[pos] == u'\t') {
            itemsFrom = pos + 1;
        } else if (text[pos] == kSoftHyphen && pos + 1 < length && text[pos + 1] != u'\t' &&
                   (pos + 1 - itemsFrom) % kLongestItem == 0) {
            return true;
        }
    }
    return false;
}

// A tab has no glyph: Qt gives it the glyph index of the character before it
// (within that character's item), and looks that index up among the glyphs of
// the item after the tab; none when that item is shorter.
int WrapModel::glyphAfterTab(int tab) const {
    int before = tab;
    while (before > 0 && text_[before - 1] == u'\t') --before;  // tabs in a row pass the index on
    const int index = before == 0 ? 0 : (before - 1) - itemStart(before - 1);
    const int glyph = tab + 1 + index;
    const int itemEnd = std::min({nextTab(tab + 1), tab + 1 + kLongestItem, static_cast<int>(text_.size())});
    return glyph < itemEnd ? glyph : -1;
}

int WrapModel::itemStart(int pos) const {
    const int from = previousTab(pos) + 1;
    return from + (pos - from) / kLongestItem * kLongestItem;
}

int WrapModel::previousTab(int pos) const {
    for (auto it = std::lower_bound(uneven_.begin(), uneven_.end(), pos); it != uneven_.begin();) {
        --it;
        if (text_[*it] == u'\t') return *it;
    }
    return -1;
}

int WrapModel::nextTab(int from) const {
    for (auto it = std::lower_bound(uneven_.begin(), uneven_.end(), from); it != uneven_.end(); ++it) {
        if (text_[*it] == u'\t') return *it;
    }
    return static_cast<int>(text_.size());
}

int WrapModel::nextUneven(int from) const {
    const auto next = std::lower_bound(uneven_.begin(), uneven_.end(), from);
    return next == uneven_.end() ? static_cast<int>(text_.size()) : *next;
}

int WrapModel::lineCount(QStringView text, int width) const {
    int lines = 0;
    return forEachLineStart(text, width, [&lines](int) { ++lines; }) ? lines : -1;
}

bool WrapModel::lineStarts(QStringView text, int width, std::vector<int>& starts) const {
    starts.clear();
    if (forEachLineStart(text, width, [&starts](int start) { starts.push_back(start); })) return true;
    starts.clear();
    return false;
}

}  // namespace korvex
