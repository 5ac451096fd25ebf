#include "app/displaylinelayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace korvex {

const DisplayLineIndex& DisplayLineLayout::index() {
    if (!valid_ || document()->defaultFont() != measuredFont_ || lineWidth() != measuredWidth_) rebuild();
    return index_;
}

const std::vector<int>& DisplayLineLayout::lineStarts(QStringView text) {
    index();  // measuring follows the current font and width
    if (model_ && model_->lineStarts(text, modelWidth_, starts_)) return starts_;
    starts_.clear();
    layOutAlone(text, [this](const QTextLine& line) { starts_.push_back(line.textStart()); });
    if (starts_.empty()) starts_.push_back(0);
    return starts_;
}

void DisplayLineLayout::expectText(QStringView text) {
    prepareMeasuring();
    expected_ = countText(text);
}

void DisplayLineLayout::documentChanged(int from, int removed, int added) {
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
    if (expected_ && from == 0 && static_cast<size_t>(document()->blockCount()) == expected_->size()) {
        adopt(*expected_);  // a change after this one is measured as usual
        expected_.reset();
    } else if (valid_) {
        update(from, added);
    }
}

qreal DisplayLineLayout::lineWidth() const {
    const QTextLine line = laidOut(document()->firstBlock())->lineAt(0);
    return line.isValid() ? line.width() : 0;
}

int DisplayLineLayout::measure(QStringView text) {
    if (model_) {
        const int lines = model_->lineCount(text, modelWidth_);
        if (lines > 0) return lines;
    }
    int lines = 0;
    layOutAlone(text, [&lines](const QTextLine&) { ++lines; });
    return std::max(1, lines);
}

// Lays the text out as Qt would in the window, on a layout of its own
// that keeps nothing afterwards, and hands over each line.
template <class Take>
void DisplayLineLayout::layOutAlone(QStringView text, Take take) {
    counter_.setText(text.toString());
    counter_.beginLayout();
    for (QTextLine line = counter_.createLine(); line.isValid(); line = counter_.createLine()) {
        line.setLineWidth(counterWidth_);
        take(line);
    }
    counter_.endLayout();
    counter_.clearLayout();
}

void DisplayLineLayout::prepareMeasuring() {
    const QFont font = document()->defaultFont();
    if (!modelFontKnown_ || font != modelFont_) {
        model_ = WrapModel::forFont(font, document()->defaultTextOption());
        modelFont_ = font;
        modelFontKnown_ = true;
    }
    counter_.setFont(font);
    counter_.setTextOption(document()->defaultTextOption());
    counterWidth_ = lineWidth();
    modelWidth_ = static_cast<int>(counterWidth_ * 64);  // exact: Qt keeps it in 1/64 pixel
}

std::vector<int> DisplayLineLayout::countText(QStringView text) {
    std::vector<int> counts;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
        counts.push_back(measure(text.sliced(start, (end < 0 ? text.size() : end) - start)));
        if (end < 0) return counts;
        start = end + 1;
    }
}

void DisplayLineLayout::update(int from, int added) {
    const QTextDocument* doc = document();
    const int first = doc->findBlock(from).blockNumber();
    QTextBlock last = doc->findBlock(from + added);
    if (!last.isValid()) last = doc->lastBlock();
    const int newBlocks = last.blockNumber() - first + 1;
    const int oldBlocks = newBlocks - (doc->blockCount() - index_.blockCount());
    if (first < 0 || oldBlocks < 0 || first + oldBlocks > index_.blockCount()) {
        valid_ = false;  // not a change this bookkeeping understands: measure anew on the next question
        return;
    }
    std::vector<int> counts;
    counts.reserve(static_cast<size_t>(newBlocks));
    for (QTextBlock b = doc->findBlockByNumber(first); b.isValid() && b.blockNumber() <= last.blockNumber();
         b = b.next()) {
        counts.push_back(measure(b.text()));
    }
    index_.replace(first, oldBlocks, counts);
}

void DisplayLineLayout::rebuild() {
    prepareMeasuring();
    // One copy of the whole text is far cheaper than one per block.
    std::vector<int> counts = countText(document()->toRawText());
    if (counts.size() != static_cast<size_t>(document()->blockCount())) {
        counts.clear();
        for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) counts.push_back(measure(b.text()));
    }
    adopt(counts);
}

void DisplayLineLayout::adopt(const std::vector<int>& counts) {
    index_.assign(counts);
    measuredFont_ = document()->defaultFont();
    measuredWidth_ = counterWidth_;
    valid_ = true;
}

}  // namespace korvex
