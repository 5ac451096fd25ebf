#include "display/displaylinelayout.h"

#include <private/qtextdocument_p.h>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <new>

#include "display/wholetext.h"

namespace korvex {

namespace {

// A piece of the recount takes about this long, so the window answers between pieces.
constexpr qint64 kRecountSliceMs = 8;
// Smaller texts are counted at once, without starting threads.
constexpr qsizetype kCountOnThreadsFrom = qsizetype{256} * 1024;
// The text is copied for the recount in pieces of this many characters, a
// few in each piece of the recount.
constexpr int kRecountCopyPiece = 256 * 1024;

// Calls `take` with each block of a raw text (blocks separated by U+2029).
template <class Take>
void forEachBlock(QStringView text, Take take) {
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
        take(text.sliced(start, (end < 0 ? text.size() : end) - start));
        if (end < 0) return;
        start = end + 1;
    }
}

}  // namespace

DisplayLineLayout::DisplayLineLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {
    connect(&recountTimer_, &QTimer::timeout, this, &DisplayLineLayout::recountSlice);
}

void DisplayLineLayout::recountSlice() {
    try {
        QElapsedTimer slice;
        slice.start();
        if (recount([&slice] { return slice.elapsed() >= kRecountSliceMs; }, false)) {
            recountTimer_.stop();
            if (whenRecounted_) whenRecounted_();
        } else {  // the next slice at once; a look now and then while other threads count
            recountTimer_.setInterval(recountByModel_ ? static_cast<int>(kRecountSliceMs) : 0);
        }
    } catch (const std::bad_alloc&) {
        dropRecount();
        if (whenOutOfMemory_) whenOutOfMemory_();
    }
}

void DisplayLineLayout::dropRecount() {
    recountTimer_.stop();
    recountByModel_.reset();
    recounted_ = {};
    recountText_ = QString();
    recountCopying_ = false;
    recountPos_ = -1;
}

void DisplayLineLayout::invalidate(bool settled) {
    lineWidthBeforeAhead_.reset();
    valid_ = false;
    recountByModel_.reset();
    recounted_.clear();
    recountPos_ = -1;
    recountTimer_.start(settled ? 0 : kWidthSettleMs);
}

const DisplayLineIndex& DisplayLineLayout::index() {
    if (beforeQuestions_) beforeQuestions_();
    measureHeld();
    if (!valid_ && recountIsCurrent()) recount([] { return false; }, true);
    if (!valid_ || document()->defaultFont() != measuredFont_ || lineWidth() != measuredWidth_) rebuild();
    return index_;
}

bool DisplayLineLayout::recountIsCurrent() const {
    return recountPos_ >= 0 && document()->defaultFont() == recountFont_ && lineWidth() == recountWidth_;
}

void DisplayLineLayout::beginRecount() {
    prepareMeasuring();
    recounted_.clear();
    recountText_.clear();
    recountCopied_ = 0;
    recountCopying_ = true;
    recountPos_ = 0;
    recountFont_ = document()->defaultFont();
    recountWidth_ = counterWidth_;
    recountByModel_.reset();
}

// A copy of the whole text for the recount, far cheaper than one per block:
// at once when a question waits, else in pieces between events (Qt's own copy
// at once takes tens of milliseconds for a big text, most of it the system
// handing out fresh memory, see wholeText). True once the copy is complete.
template <class Enough>
bool DisplayLineLayout::copyForRecount(Enough enough, bool wait) {
    if (!recountCopying_) return true;
    const int length = document()->characterCount() - 1;  // the last block's end is none of the text's
    if (wait && recountCopied_ == 0) {
        recountText_ = wholeText(*document());
    } else {
        recountText_.reserve(length);
        // Fragment by fragment from Qt's own buffer, shared, not copied: no text made on the way.
        const QTextDocumentPrivate& doc = *QTextDocumentPrivate::get(document());
        const QString buffer = doc.buffer();
        auto fragment = doc.find(recountCopied_);
        int offset = recountCopied_ - fragment.position();
        for (int sinceLook = 0; recountCopied_ < length; ++fragment, offset = 0) {
            const int size = std::min(static_cast<int>(fragment->size_array[0]) - offset, length - recountCopied_);
            recountText_.append(buffer.constData() + fragment->stringPosition + offset, size);
            recountCopied_ += size;
            sinceLook += size;
            if (sinceLook >= kRecountCopyPiece && !wait && recountCopied_ < length) {
                if (enough()) return false;
                sinceLook = 0;
            }
        }
    }
    recountCopying_ = false;
    beginCounting();
    return true;
}

// The copy complete: the model counts it on every core, or blocks are measured one by one.
void DisplayLineLayout::beginCounting() {
    if (model_ && recountText_.size() >= kCountOnThreadsFrom) {
        recountByModel_ = std::make_unique<ModelCount>(*model_, modelWidth_, recountText_, 0,
                                                       ModelCount::partsForAllCores());
    } else {
        recounted_.reserve(static_cast<size_t>(document()->blockCount()));
    }
}

template <class Enough>
bool DisplayLineLayout::recount(Enough enough, bool wait) {
    if (valid_) return true;
    if (!recountIsCurrent()) beginRecount();  // not yet, or the font or width changed since
    if (!copyForRecount(enough, wait)) return false;
    if (recountByModel_) {
        if (!wait && !recountByModel_->isReady()) return false;
        recounted_ = recountByModel_->take([this](QStringView block) { return measureByLayout(block); });
        recountByModel_.reset();
        recountPos_ = -1;
    }
    while (recountPos_ >= 0) {
        for (int i = 0; i < 64 && recountPos_ >= 0; ++i) {
            const qsizetype end = recountText_.indexOf(QChar::ParagraphSeparator, recountPos_);
            const qsizetype length = (end < 0 ? recountText_.size() : end) - recountPos_;
            recounted_.push_back(measure(QStringView(recountText_).sliced(recountPos_, length)));
            recountPos_ = end < 0 ? -1 : end + 1;
        }
        if (recountPos_ >= 0 && enough()) return false;
    }
    if (recounted_.size() == static_cast<size_t>(document()->blockCount())) {
        adopt(recounted_);
    } else {
        rebuild();
    }
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

void DisplayLineLayout::expectText(QStringView text, bool layoutObjectsLater) {
    prepareMeasuring();
    expected_ = countText(text);
    layoutObjectsLater_ = layoutObjectsLater;
}

void DisplayLineLayout::startOver() {
    expected_.reset();
    expectedAppend_.reset();
    layoutObjectsLater_ = false;
    valid_ = false;
    heldFirst_ = heldLast_ = -1;
    dropRecount();
}

void DisplayLineLayout::expectAppend(const QString& piece, bool shown, std::optional<ModelCount::Part> counted) {
    expectedAppend_.reset();
    appendShown_ = shown;
    if (!valid_ || !piece.startsWith(QChar::ParagraphSeparator)) return;
    if (counted && model_ && counted->width == modelWidth_) {
        expectedAppend_ = ModelCount::finish(std::move(*counted),
                                             [this](QStringView block) { return measureByLayout(block); });
    } else {
        expectedAppend_ = countWhole(piece, 1);
    }
}

DisplayLineLayout::AppendCounter DisplayLineLayout::appendCounter() const {
    if (!valid_ || !model_) return {};
    // A model of its own: it keeps scratch space while it lays out.
    return [model = *model_, width = modelWidth_](QStringView piece, const std::atomic<bool>& stop) {
        return ModelCount::countPart(model, width, piece, stop);
    };
}

void DisplayLineLayout::holdCounts() {
    holding_ = true;
    heldFirst_ = heldLast_ = -1;
}

void DisplayLineLayout::noteHeld(int from, int added) {
    const QTextDocument* doc = document();
    if (doc->blockCount() != index_.blockCount()) {
        valid_ = false;  // blocks came or went after all: measure anew on the next question
        heldFirst_ = heldLast_ = -1;
        return;
    }
    const int first = doc->findBlock(from).blockNumber();
    const QTextBlock last = doc->findBlock(from + added);
    heldFirst_ = heldFirst_ < 0 ? first : std::min(heldFirst_, first);
    heldLast_ = std::max(heldLast_, last.isValid() ? last.blockNumber() : doc->blockCount() - 1);
}

void DisplayLineLayout::releaseCounts(const std::vector<int>& changed, std::optional<ModelCount::Part> counted) {
    holding_ = false;
    if (heldFirst_ < 0 || !valid_) {
        heldFirst_ = heldLast_ = -1;
        return;
    }
    if (!counted || !model_ || counted->width != modelWidth_ || counted->counts.size() != changed.size() ||
        changed.empty() || changed.front() < heldFirst_ || changed.back() > heldLast_) {
        measureHeld();
        return;
    }
    // The stretch as it was, with the counts of the changed blocks put in.
    const std::vector<int> counts = ModelCount::finish(std::move(*counted),
                                                       [this](QStringView block) { return measureByLayout(block); });
    std::vector<int> stretch;
    stretch.reserve(static_cast<size_t>(heldLast_) - static_cast<size_t>(heldFirst_) + 1);
    for (int block = heldFirst_; block <= heldLast_; ++block) stretch.push_back(index_.linesOf(block));
    for (size_t k = 0; k < changed.size(); ++k) stretch[static_cast<size_t>(changed[k] - heldFirst_)] = counts[k];
    index_.replace(heldFirst_, static_cast<int>(stretch.size()), stretch);
    heldFirst_ = heldLast_ = -1;
}

void DisplayLineLayout::measureHeld() {
    if (heldFirst_ < 0) return;
    const int first = heldFirst_;
    const int last = heldLast_;
    heldFirst_ = heldLast_ = -1;
    if (!valid_) return;
    std::vector<int> counts;
    counts.reserve(static_cast<size_t>(last) - static_cast<size_t>(first) + 1);
    QTextBlock block = document()->findBlockByNumber(first);
    for (int number = first; number <= last && block.isValid(); ++number, block = block.next()) {
        counts.push_back(measure(block.text()));
    }
    index_.replace(first, static_cast<int>(counts.size()), counts);
}

void DisplayLineLayout::documentChanged(int from, int removed, int added) {
    std::optional<std::vector<int>> appended;
    appended.swap(expectedAppend_);
    // Lines changed in place while the counts are held keep their blocks'
    // layout objects: no need to walk every block between the changes.
    if (!appended && !holding_ && !layoutObjectsLater_) giveLayoutObjects(from, added);
    if (appended && !appendShown_) {
        // Qt would repaint the whole window for it; only the scroll bar changes.
        {
            const QSignalBlocker quiet(this);
            QPlainTextDocumentLayout::documentChanged(from, removed, added);
        }
        emit documentSizeChanged(documentSize());
    } else {
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }
    if (appended && valid_ &&
        static_cast<size_t>(document()->blockCount()) == static_cast<size_t>(index_.blockCount()) + appended->size()) {
        index_.replace(index_.blockCount(), 0, *appended);  // the last block before it keeps its text
    } else if (expected_ && from == 0 && static_cast<size_t>(document()->blockCount()) == expected_->size()) {
        adopt(*expected_);  // a change after this one is measured as usual
        expected_.reset();
    } else if (valid_ && holding_) {
        noteHeld(from, added);
    } else if (valid_) {
        update(from, added);
    } else {
        recountByModel_.reset();
        recountPos_ = -1;  // a recount under way starts over
    }
}

// Given as the text comes in, no width change waits for them.
void DisplayLineLayout::giveLayoutObjects(int from, int added) const {
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->findBlock(from); block.isValid() && block.position() <= from + added;
         block = block.next()) {
        block.layout();
    }
}

int DisplayLineLayout::giveLayouts(int from, int count) const {
    QTextBlock block = document()->findBlockByNumber(from);
    for (int number = from; block.isValid() && number < from + count; block = block.next(), ++number) block.layout();
    return block.isValid() ? from + count : -1;
}

int DisplayLineLayout::releaseLayouts(int from, int count, const std::function<bool(int)>& keep) {
    const QTextDocumentPrivate::BlockMap& blocks = QTextDocumentPrivate::get(document())->blockMap();
    QTextBlock block = document()->findBlockByNumber(from);
    for (int number = from; block.isValid() && number < from + count; block = block.next(), ++number) {
        if (keep(number)) continue;
        const QTextBlockData* data = blocks.fragment(static_cast<uint>(block.fragmentIndex()));
        delete data->layout;
        data->layout = nullptr;
    }
    return block.isValid() ? from + count : -1;
}

// As QPlainTextDocumentLayout lays a block out (its extra room for shown
// separators aside, which this window never shows).
void DisplayLineLayout::layOutAhead(const QTextBlock& first, qreal width, qreal height) {
    if (!lineWidthBeforeAhead_) lineWidthBeforeAhead_ = lineWidth();
    const qreal margin = document()->documentMargin();
    const QTextOption option = document()->defaultTextOption();
    qreal filled = -1;  // the first block's own height does not count
    for (QTextBlock block = first; block.isValid() && filled < height; block = block.next()) {
        QTextLayout* layout = block.layout();
        layout->setTextOption(option);
        layout->beginLayout();
        qreal y = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width - 2 * margin);
            line.setPosition(QPointF(margin, y));
            y += line.height();
            if (line.leading() < 0) y += std::ceil(line.leading());
        }
        layout->endLayout();
        block.setLineCount(block.isVisible() ? layout->lineCount() : 0);
        filled = filled < 0 ? 0 : filled + y;
    }
}

qreal DisplayLineLayout::lineWidth() const {
    if (lineWidthBeforeAhead_) return *lineWidthBeforeAhead_;
    const QTextLine line = laidOut(document()->firstBlock())->lineAt(0);
    return line.isValid() ? line.width() : 0;
}

int DisplayLineLayout::measure(QStringView text) {
    if (model_) {
        const int lines = model_->lineCount(text, modelWidth_);
        if (lines > 0) return lines;
    }
    return measureByLayout(text);
}

int DisplayLineLayout::measureByLayout(QStringView text) {
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
    forEachBlock(text, [&](QStringView block) { counts.push_back(measure(block)); });
    return counts;
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

std::vector<int> DisplayLineLayout::countWhole(const QString& text, qsizetype from) {
    if (!model_ || text.size() - from < kCountOnThreadsFrom) return countText(QStringView(text).sliced(from));
    ModelCount count(*model_, modelWidth_, text, from, ModelCount::partsForAllCores());
    return count.take([this](QStringView block) { return measureByLayout(block); });
}

void DisplayLineLayout::rebuild() {
    prepareMeasuring();
    // One copy of the whole text is far cheaper than one per block.
    std::vector<int> counts = countWhole(document()->toRawText());
    if (counts.size() != static_cast<size_t>(document()->blockCount())) {
        counts.clear();
        for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) counts.push_back(measure(b.text()));
    }
    adopt(counts);
}

void DisplayLineLayout::adopt(const std::vector<int>& counts) {
    recountTimer_.stop();
    recountByModel_.reset();
    recountPos_ = -1;
    recountText_ = QString();
    index_.assign(counts);
    heldFirst_ = heldLast_ = -1;
    measuredFont_ = document()->defaultFont();
    measuredWidth_ = counterWidth_;
    valid_ = true;
}

}  // namespace korvex
