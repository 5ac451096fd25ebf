#include "app/wrapmodel.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

namespace korvex {
namespace {

constexpr int kNotComputed = -1;
// Qt may cut longer runs of text into several script items; such hard lines are left to Qt.
constexpr int kLongestModelledLine = 4000;

// Qt keeps lengths in 26.6 fixed point and converts by cutting off.
int toFixed(qreal value) { return static_cast<int>(value * 64.0); }

}  // namespace

const std::array<WrapModel::Kind, 256> WrapModel::kKinds = [] {
    std::array<Kind, 256> kinds{};
    kinds.fill(Unknown);
    kinds[' '] = Space;
    for (int c = 'a'; c <= 'z'; ++c) kinds[static_cast<size_t>(c)] = Letter;
    for (int c = 'A'; c <= 'Z'; ++c) kinds[static_cast<size_t>(c)] = Letter;
    for (int c = 0xC0; c <= 0xFF; ++c) kinds[static_cast<size_t>(c)] = Letter;  // accented letters, ß
    // Symbols that break like letters; they make up HTML references and tags.
    for (unsigned char c : {'&', '<', '>', '#', '=', '*', '@', '_', '~'}) kinds[c] = Letter;
    kinds[0xD7] = Unknown;  // multiplication sign
    kinds[0xF7] = Unknown;  // division sign
    for (int c = '0'; c <= '9'; ++c) kinds[static_cast<size_t>(c)] = Digit;
    kinds['-'] = Hyphen;
    kinds['!'] = Exclamation;
    kinds['?'] = Exclamation;
    for (unsigned char c : {'.', ',', ';', ':'}) kinds[c] = Stop;
    kinds['"'] = Quote;
    kinds['\''] = Quote;
    return kinds;
}();

std::optional<WrapModel> WrapModel::forFont(const QFont& font) {
    if (!QFontInfo(font).fixedPitch()) return std::nullopt;
    const QFontMetricsF metrics(font);
    WrapModel model;
    QString all;
    for (int c = 0; c < 256; ++c) {
        if (kKinds[static_cast<size_t>(c)] == Unknown) continue;
        const QChar ch(c);
        all += ch;
        const qreal advance = metrics.horizontalAdvance(QString(ch)) * 64.0;
        if (advance != std::floor(advance) || advance <= 0) return std::nullopt;
        if (model.advance_ == 0) model.advance_ = static_cast<int>(advance);
        if (static_cast<int>(advance) != model.advance_) return std::nullopt;
        model.overhang_[static_cast<size_t>(c)] = static_cast<int16_t>(-std::min(0, toFixed(metrics.rightBearing(ch))));
    }
    // No kerning or ligatures: the characters in a row are as wide as one by one.
    if (metrics.horizontalAdvance(all) * 64.0 != static_cast<qreal>(model.advance_) * static_cast<qreal>(all.size()))
        return std::nullopt;
    model.minimumBearing_ = -std::min(0, toFixed(metrics.minRightBearing()));
    return model;
}

bool WrapModel::follows(QStringView text) {
    if (text.size() > kLongestModelledLine) return false;
    // One pass over the characters: any the model does not follow, or a stop before a digit.
    bool unknown = false;
    Kind previous = Space;
    for (const QChar c : text) {
        const Kind kind = kindOf(c.unicode());
        unknown |= kind == Unknown || (previous == Stop && kind == Digit);
        previous = kind;
    }
    return !unknown;
}

template <class Take>
void WrapModel::forEachLineStart(QStringView text, int width, Take take) const {
    const int length = static_cast<int>(text.size());
    if (length == 0) take(0);
    for (int from = 0; from < length; from = lineEnd(text.utf16(), length, from, width, false)) take(from);
}

int WrapModel::lineCount(QStringView text, int width) const {
    if (!follows(text)) return -1;
    int lines = 0;
    forEachLineStart(text, width, [&lines](int) { ++lines; });
    return lines;
}

bool WrapModel::lineStarts(QStringView text, int width, std::vector<int>& starts) const {
    starts.clear();
    if (!follows(text)) return false;
    forEachLineStart(text, width, [&starts](int start) { starts.push_back(start); });
    return true;
}

// Mirrors Qt's filling of one line: segments between break chances are
// added while they fit; spaces before a segment count only once a segment
// follows them; the right bearing of a segment's last character counts
// only when the segment comes within the font's smallest bearing of the
// edge. A line wider than the width after all (a first word too long) is
// filled again breaking after any character.
int WrapModel::lineEnd(const char16_t* text, int length, int from, int width, bool anywhere) const {
    const int w = advance_;
    auto overhangAt = [&](int pos) { return pos >= 0 ? overhang_[text[pos]] : 0; };
    long long committedWidth = 0;
    int committed = 0;  // characters taken into the line
    long long spaceWidth = 0;
    int spaces = 0;
    int bearing = kNotComputed;
    bool lastWasSpace = false;
    int pos = from;
    long long finalWidth = 0;
    int next = length;

    if (!anywhere && minimumBearing_ <= w) {
        // Every segment ending within `sure` characters fits whatever its
        // bearing, and the fit can only get worse further on: start at the
        // last segment end within that reach instead of at the line start.
        const long long sure = (width - minimumBearing_) / w;
        if (sure >= length - from) return length;  // the rest fits whole
        for (int end = from + static_cast<int>(std::max(0LL, sure)); end > from; --end) {
            const char16_t before = text[end - 1];
            const char16_t after = text[end];
            if (before != u' ' && (after == u' ' || breakBetween(kindOf(before), kindOf(after)))) {
                pos = end;
                committed = end - from;
                committedWidth = static_cast<long long>(committed) * w;
                break;
            }
        }
    }

    while (pos < length) {
        bearing = kNotComputed;
        if (text[pos] == u' ') {
            lastWasSpace = true;
            while (pos < length && text[pos] == u' ') {
                spaceWidth += w;
                ++spaces;
                ++pos;
            }
            if (spaceWidth > width) {
                // Spaces wider than the line hang out of it, all of them.
                finalWidth = committedWidth;
                next = from + committed + spaces;
                goto found;
            }
            continue;
        }
        lastWasSpace = false;
        const int segmentStart = pos;
        do {
            ++pos;
        } while (!anywhere && pos < length && text[pos] != u' ' &&
                 !breakBetween(kindOf(text[pos - 1]), kindOf(text[pos])));
        const long long segmentWidth = static_cast<long long>(pos - segmentStart) * w;
        const long long plain = committedWidth + segmentWidth + spaceWidth;
        if (plain + minimumBearing_ > width) bearing = overhangAt(pos - 1);
        const long long needed = plain + (bearing == kNotComputed ? 0 : bearing);
        if (committed > 0 && needed > width) {
            // Full: the line ends before this segment, its spaces hanging.
            finalWidth = committedWidth + overhangAt(segmentStart - 1);
            next = segmentStart;
            goto found;
        }
        committedWidth = plain;
        committed += spaces + (pos - segmentStart);
        spaceWidth = 0;
        spaces = 0;
    }
    {
        // End of the text: trailing spaces join the line if they fit.
        const long long needed = committedWidth + spaceWidth + (bearing == kNotComputed ? 0 : bearing);
        if (!(committed > 0 && needed > width)) {
            committedWidth += spaceWidth;
            committed += spaces;
        }
        if (bearing == kNotComputed && !lastWasSpace) bearing = overhangAt(pos - 1);
        finalWidth = committedWidth + (bearing == kNotComputed ? 0 : bearing);
        next = length;
    }
found:
    if (!anywhere && finalWidth > width) return lineEnd(text, length, from, width, true);
    return next;
}

}  // namespace korvex
