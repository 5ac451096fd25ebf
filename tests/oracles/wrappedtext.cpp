#include "oracles/wrappedtext.h"

namespace korvex {

WrappedText::WrappedText(std::string text, size_t charactersPerLine)
    : text_(std::move(text)), width_(charactersPerLine) {
    rewrap();
}

void WrappedText::clear() { setText({}); }

void WrappedText::setText(std::string text) {
    text_ = std::move(text);
    rewrap();
}

int WrappedText::shownLineCount() const { return static_cast<int>(lines_.size()); }

size_t WrappedText::shownLineLength(int index) const { return lines_[static_cast<size_t>(index)].length; }

std::string WrappedText::shownLineText(int index, size_t maxLength) const {
    const Span& span = lines_[static_cast<size_t>(index)];
    return text_.substr(span.start, std::min(span.length, maxLength));
}

void WrappedText::insertAtLineStart(int index, std::string_view bytes) {
    text_.insert(lines_[static_cast<size_t>(index)].start, bytes);
    rewrap();
}

void WrappedText::appendAtEnd(std::string_view bytes) {
    text_ += bytes;
    rewrap();
}

void WrappedText::eraseShownLine(int index) {
    const auto i = static_cast<size_t>(index);
    const size_t start = lines_[i].start;
    const size_t end = i + 1 < lines_.size() ? lines_[i + 1].start : start + lines_[i].length;
    text_.erase(start, end - start);
    rewrap();
}

void WrappedText::rewrap() {
    lines_.clear();
    size_t start = 0;
    while (true) {
        const size_t brk = text_.find("\r\n", start);
        if (brk == std::string::npos) {
            wrapHardLine(start, text_.size());
            return;
        }
        wrapHardLine(start, brk);
        start = brk + 2;
    }
}

void WrappedText::wrapHardLine(size_t start, size_t end) {
    if (width_ == 0 || end - start <= width_) {
        lines_.push_back({start, end - start});
        return;
    }
    size_t lineStart = start;
    while (lineStart < end) {
        size_t pos = lineStart;
        size_t lastBreak = 0;  // position after the blanks that end the last whole word
        while (pos < end) {
            if (text_[pos] == ' ') {
                while (pos < end && text_[pos] == ' ') ++pos;  // blanks hang
                lastBreak = pos;
                continue;
            }
            if (pos - lineStart >= width_) break;
            ++pos;
        }
        size_t lineEnd = pos;
        if (pos < end && lastBreak > lineStart) lineEnd = lastBreak;
        lines_.push_back({lineStart, lineEnd - lineStart});
        lineStart = lineEnd;
    }
}

}  // namespace korvex
