#include "app/wrapmodel.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

#include "app/linebreaks.h"
#include "base/cp1252.h"

namespace korvex {
namespace {

// Qt shows a soft hyphen, and gives it its width, where a line ends after it, and hides it
// elsewhere, in ways that depend on its neighbours; lines holding one are left to Qt.
constexpr char16_t kSoftHyphen = 0xAD;
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
            const uint8_t flags = flag(pos_);
            if (flags & LineBreaks::Tab) {
                found = addTab();
            } else if (flags & LineBreaks::WhiteSpace) {
                found = addSpaces();
            } else {
                found = addRun();
            }
        }
        if (!found) fullOtherwiseExtend();
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

    uint8_t flag(int pos) const { return model_.flags_[static_cast<size_t>(pos)]; }
    int slot(int pos) const { return LineBreaks::slotOf(text_[pos]); }
    int64_t overhang(int pos) const { return model_.overhang_[static_cast<size_t>(slot(pos))]; }

    int64_t newWidth() const { return lineWidth_ + runWidth_ + spaceWidth_ - std::min<int64_t>(bearing_, 0); }

    // True when the pending run does not fit; else it joins the line with its spaces.
    bool fullOtherwiseExtend() {
        if (lineLength_ > 0 && newWidth() > width_) return true;
        lineWidth_ += runWidth_ + spaceWidth_;
        lineLength_ += runLength_ + spaceLength_;
        runWidth_ = spaceWidth_ = 0;
        runLength_ = spaceLength_ = 0;
        return false;
    }

    bool addTab() {
        afterSpace_ = true;
        if (fullOtherwiseExtend()) return true;
        // Qt divides in fixed point, rounding, and then cuts off to whole stops.
        const int64_t x = lineWidth_ + runWidth_ + spaceWidth_;
        const int64_t stop = model_.tabStop_;
        const int64_t stops = ((x * 64 + stop / 2) / stop) >> 6;
        spaceWidth_ += (stops + 1) * stop - x;
        ++spaceLength_;
        ++pos_;
        return fullOtherwiseExtend();
    }

    bool addSpaces() {
        afterSpace_ = true;
        while (pos_ < length_ && (flag(pos_) & (LineBreaks::WhiteSpace | LineBreaks::Tab)) == LineBreaks::WhiteSpace) {
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

    // Runs within the width less the largest overhang fit whatever their
    // bearing: takes them at once, up to the last run end in reach, instead
    // of run by run (tabs and form feeds aside). True when the rest fits whole.
    bool jumpAhead() {
        const int64_t reach = std::min<int64_t>(length_ - pos_,
                                                (width_ - model_.minimumBearing_) / model_.evenAdvance_);
        if (reach <= 0) return false;
        const int limit = pos_ + static_cast<int>(reach);
        for (int i = pos_; i < limit; ++i) {
            if (flag(i) & LineBreaks::Uneven) return false;
        }
        if (limit == length_) return true;
        for (int end = limit; end > pos_; --end) {
            if (!(flag(end - 1) & LineBreaks::WhiteSpace) &&
                (flag(end) & (LineBreaks::WhiteSpace | LineBreaks::BreakBefore))) {
                lineLength_ = end - pos_;
                lineWidth_ = static_cast<int64_t>(lineLength_) * model_.evenAdvance_;
                pos_ = end;
                afterSpace_ = false;
                return false;
            }
        }
        return false;
    }

    bool overflow() {
        overflowed_ = true;
        return true;
    }

    bool addRun() {
        afterSpace_ = false;
        // The glyph Qt remembers as the one before the run; after a tab, an item of its own, it
        // picks the run's first.
        const int before = pos_ == 0 ? -1 : (flag(pos_ - 1) & LineBreaks::Tab) ? pos_ : pos_ - 1;
        bool chance = false;
        do {
            runWidth_ += model_.advance_[static_cast<size_t>(slot(pos_))];
            ++runLength_;
            ++pos_;
            if (pos_ >= length_ || (flag(pos_) & (LineBreaks::WhiteSpace | LineBreaks::BreakBefore))) {
                chance = true;
                break;
            }
            // A first run already wider than the line makes it be filled again breaking anywhere:
            // no need to walk the rest of a long word.
            if (lineLength_ == 0 && runWidth_ > width_) return overflow();
        } while (!anywhere_);
        return (chance || anywhere_) && runEndsLine(before);
    }

    // The run's last right bearing counts only when the run comes near the edge.
    bool runEndsLine(int before) {
        if (newWidth() + model_.minimumBearing_ > width_) bearing_ = -overhang(pos_ - 1);
        if (!fullOtherwiseExtend()) return false;
        // Qt skips the glyph before the run when it is the missing-glyph box of a control character.
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
        if (LineBreaks::slotOf(c) < 0 || c == u'\t' || c == kSoftHyphen) continue;
        // Eight in a row, so that a character the layout does not print shows as 0.
        const int eight = layoutAdvance(font, QString(8, QChar(c)) + tail) - tailAdvance;
        if (eight < 0 || eight % 8 != 0) return std::nullopt;
        model.advance_[static_cast<size_t>(byte)] = eight / 8;
        model.overhang_[static_cast<size_t>(byte)] = -std::min(0, toFixed(metrics.rightBearing(QChar(c))));
        all += QChar(c);
        sum += eight / 8;
    }
    // No kerning or ligatures: the characters in a row are as wide as one by one.
    if (layoutAdvance(font, all + tail) - tailAdvance != sum) return std::nullopt;
    model.minimumBearing_ = -std::min(0, toFixed(metrics.minRightBearing()));
    model.evenAdvance_ = model.advance_['x'];
    for (int byte = 1; byte < 256; ++byte) {
        const char16_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
        const bool uneven = c == u'\t' || c == 0x0C || c == kSoftHyphen || LineBreaks::slotOf(c) < 0;
        if (!uneven && model.advance_[static_cast<size_t>(byte)] != model.evenAdvance_) model.evenAdvance_ = 0;
    }
    model.tabStop_ = option.tabStopDistance() > 0 ? toFixed(option.tabStopDistance()) : 80 * 64;
    return model;
}

template <class Take>
bool WrapModel::forEachLineStart(QStringView text, int width, Take take) const {
    if (text.size() > kLongestModelledLine || text.contains(QChar(kSoftHyphen)) || !LineBreaks::find(text, flags_)) {
        return false;
    }
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
