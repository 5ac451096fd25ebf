#pragma once

#include <string>
#include <vector>

#include "base/linelist.h"

namespace korvex {

// A LineList over a plain string, wrapped greedily at a fixed number of
// characters per line (0: no wrapping). Breaks follow blanks, which hang at
// the end of the line; a word longer than a line is broken anywhere. It lets
// the rules that work on display lines run without a window.
class WrappedText final : public LineList {
public:
    explicit WrappedText(std::string text = {}, size_t charactersPerLine = 0);

    void clear() override;
    std::string text() const override { return text_; }
    void setText(std::string text);

protected:
    int shownLineCount() const override;
    size_t shownLineLength(int index) const override;
    std::string shownLineText(int index, size_t maxLength) const override;
    void insertAtLineStart(int index, std::string_view bytes) override;
    void appendAtEnd(std::string_view bytes) override;
    void eraseShownLine(int index) override;

private:
    struct Span {
        size_t start;
        size_t length;
    };
    void rewrap();
    void wrapHardLine(size_t start, size_t end);

    std::string text_;
    size_t width_;
    std::vector<Span> lines_;
};

}  // namespace korvex
