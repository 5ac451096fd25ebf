#include "platform/printflow.h"

#include <algorithm>

namespace korvex {

PrintFlow::PrintFlow(int printableWidth, int printableHeight, FlowMetrics metrics)
    : width_(printableWidth), height_(printableHeight), metrics_(metrics) {}

std::vector<FlowStep> PrintFlow::writeLine(std::u16string_view text, const Measure& width) {
    std::vector<FlowStep> steps;
    std::u16string piece;
    for (const char16_t c : text) {
        switch (c) {
            case u'\r': break;
            case u'\t':
                put(piece, width, steps);
                piece.clear();
                tab();
                break;
            case u'\n':
                put(piece, width, steps);
                piece.clear();
                newLine();
                break;
            case u'\f':
                put(piece, width, steps);
                piece.clear();
                newSheet();
                break;
            default: piece.push_back(c);
        }
    }
    put(piece, width, steps);
    newLine();
    return steps;
}

void PrintFlow::draw(std::u16string_view text, int width, std::vector<FlowStep>& steps) {
    for (; pendingSheets_ > 0; --pendingSheets_) steps.push_back({FlowStep::Kind::NewSheet, 0, 0, {}});
    steps.push_back({FlowStep::Kind::Text, x_, y_, std::u16string(text)});
    x_ += width;
    lineHasText_ = true;
}

void PrintFlow::put(std::u16string_view text, const Measure& width, std::vector<FlowStep>& steps) {
    while (!text.empty()) {
        const int whole = width(text);
        if (x_ + whole <= width_) {
            draw(text, whole, steps);
            return;
        }
        // The longest beginning that still fits; widths grow with the length.
        size_t low = 0;
        size_t high = text.size() - 1;
        while (low < high) {
            const size_t mid = (low + high + 1) / 2;
            if (x_ + width(text.substr(0, mid)) <= width_) {
                low = mid;
            } else {
                high = mid - 1;
            }
        }
        if (low == 0 && x_ > 0) {
            newLine();
            continue;
        }
        const size_t taken = std::max<size_t>(low, 1);  // a character wider than the sheet goes alone
        draw(text.substr(0, taken), width(text.substr(0, taken)), steps);
        text.remove_prefix(taken);
        newLine();
    }
}

void PrintFlow::tab() {
    const int stop = std::max(1, 8 * metrics_.averageCharWidth);
    const int next = ((x_ + 1) / stop + 1) * stop;
    if (next > width_) {
        newLine();
        return;
    }
    x_ = next;
    lineHasText_ = true;
}

void PrintFlow::newLine() {
    const int ended = lineHasText_ ? metrics_.lineHeight + 2 : 0;
    y_ += lineHasText_ ? metrics_.lineHeight + 2 : metrics_.lineHeight;
    x_ = 0;
    lineHasText_ = false;
    if (y_ > height_ - 2 * ended) newSheet();
}

void PrintFlow::newSheet() {
    ++pendingSheets_;
    x_ = 0;
    y_ = 0;
    lineHasText_ = false;
}

}  // namespace korvex
