#include "app/displaylinelayout.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace korvex {

namespace {

// A piece of the recount takes about this long, so the window answers between pieces.
constexpr qint64 kRecountSliceMs = 8;

}  // namespace

DisplayLineLayout::DisplayLineLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {
    recountTimer_.setInterval(0);
    connect(&recountTimer_, &QTimer::timeout, this, [this] {
        QElapsedTimer slice;
        slice.start();
        if (recount([&slice] { return slice.elapsed() >= kRecountSliceMs; })) recountTimer_.stop();
    });
}

void DisplayLineLayout::invalidate() {
    valid_ = false;
    recounted_.clear();
    recountNext_ = QTextBlock();
    recountTimer_.start();
}

const DisplayLineIndex& DisplayLineLayout::index() {
    if (!valid_ && recountIsCurrent()) recount([] { return false; });
    if (!valid_ || document()->defaultFont() != measuredFont_ || lineWidth() != measuredWidth_) rebuild();
    return index_;
}

bool DisplayLineLayout::recountIsCurrent() const {
    return recountNext_.isValid() && document()->defaultFont() == recountFont_ && lineWidth() == recountWidth_;
}

template <class Enough>
bool DisplayLineLayout::recount(Enough enough) {
    if (valid_) return true;
    if (!recountIsCurrent()) {  // begun anew: not yet, or the font or width changed since
        prepareMeasuring();
        recounted_.clear();
        recounted_.reserve(static_cast<size_t>(document()->blockCount()));
        recountNext_ = document()->firstBlock();
        recountFont_ = document()->defaultFont();
        recountWidth_ = counterWidth_;
    }
    while (recountNext_.isValid()) {
        for (int i = 0; i < 64 && recountNext_.isValid(); ++i, recountNext_ = recountNext_.next()) {
            recounted_.push_back(measure(recountNext_.text()));
        }
        if (recountNext_.isValid() && enough()) return false;
    }
    adopt(recounted_);
    recounted_ = {};
    return true;
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

void DisplayLineLayout::expectAppend(QStringView piece) {
    expectedAppend_.reset();
    if (valid_ && piece.startsWith(QChar::ParagraphSeparator)) expectedAppend_ = countText(piece.sliced(1));
}

void DisplayLineLayout::documentChanged(int from, int removed, int added) {
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
    std::optional<std::vector<int>> appended;
    appended.swap(expectedAppend_);
    if (appended && valid_ &&
        static_cast<size_t>(document()->blockCount()) == static_cast<size_t>(index_.blockCount()) + appended->size()) {
        index_.replace(index_.blockCount(), 0, *appended);  // the last block before it keeps its text
    } else if (expected_ && from == 0 && static_cast<size_t>(document()->blockCount()) == expected_->size()) {
        adopt(*expected_);  // a change after this one is measured as usual
        expected_.reset();
    } else if (valid_) {
        update(from, added);
    } else {
        recountNext_ = QTextBlock();  // a recount under way starts over
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
    recountTimer_.stop();
    recountNext_ = QTextBlock();
    index_.assign(counts);
    measuredFont_ = document()->defaultFont();
    measuredWidth_ = counterWidth_;
    valid_ = true;
}

}  // namespace korvex
