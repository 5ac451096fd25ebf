#pragma once

#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "base/displaylineindex.h"
#include "display/modelcount.h"
#include "display/wrapmodel.h"

namespace korvex {

// Qt's plain-text layout, plus the number of display lines of every block.
// Qt lays out only the blocks it paints and counts an unlaid block as one
// line, so the counts are taken here: by the wrap model where it follows
// the font and the block's characters exactly, else by a layout of the
// block's text made just for counting (so no block keeps a layout it was
// given only to be counted). It mirrors QPlainTextDocumentLayout's line
// width and QTextLine's filling; MainWindowTest.DisplayLineCountsEqual-
// QtLayoutOfEveryBlock guards that the counts equal the layouts Qt gives.
class DisplayLineLayout : public QPlainTextDocumentLayout {
public:
    explicit DisplayLineLayout(QTextDocument* document);

    // A width that has stayed this long is no step of a drag any more.
    static constexpr int kWidthSettleMs = 40;

    const DisplayLineIndex& index();

    // The wrap width changed: every count is measured anew, in pieces between
    // events, so that dragging the window's edge stays fluid (once the width
    // has stayed a moment, or at once when it has `settled` already); a
    // question before that is done waits for the rest.
    void invalidate(bool settled);
    // Called once the counts have followed a width change between events.
    void whenRecounted(std::function<void()> notify) { whenRecounted_ = std::move(notify); }
    // Called when memory ran out for a count between events: it was given up,
    // and the counts are taken anew when next asked for.
    void whenOutOfMemory(std::function<void()> notify) { whenOutOfMemory_ = std::move(notify); }
    // Called before any question is answered: brings a width change put off meanwhile in.
    void beforeQuestions(std::function<void()> settle) { beforeQuestions_ = std::move(settle); }

    // Lays the blocks from `first` on out at the text width `width`, as Qt
    // will once it lays out every block at that width, until they fill
    // `height` below the first: what the window shows follows a drag of its
    // edge at once. Qt's own width, and the counts, stay until `invalidate`.
    void layOutAhead(const QTextBlock& first, qreal width, qreal height);

    QTextLayout* laidOut(const QTextBlock& block) const {
        ensureBlockLayout(block);
        return block.layout();
    }

    // Qt gives a block without one a layout object at the next width change,
    // which then takes four times as long as later ones: gives the blocks from
    // block number `from` on theirs, `count` of them, as a change gives its
    // own blocks theirs but for the pieces of a load. Returns the block to go
    // on with, -1 after the last.
    int giveLayouts(int from, int count) const;

    // Qt gives every block a layout object at a width change (a few hundred
    // bytes each, laid out or not) and keeps it for the block's life: gives
    // back those of `count` blocks from block number `from` on, but of the
    // blocks `keep` names (by number). Qt makes a block a new one when it is
    // next shown or measured. Returns the block to go on with, -1 after the last.
    int releaseLayouts(int from, int count, const std::function<bool(int)>& keep);

    // Where each display line of a block's text starts (the first at 0),
    // found the way its count is.
    const std::vector<int>& lineStarts(QStringView text);

    // Counts the text about to replace the whole document, from the text
    // itself, so the replacement need not measure block by block. With
    // `layoutObjectsLater` its blocks get their layout objects later (see
    // giveLayouts), and the replacement needs no memory for them.
    void expectText(QStringView text, bool layoutObjectsLater = false);
    void forgetExpected() {
        expected_.reset();
        layoutObjectsLater_ = false;
    }
    // Memory ran out in the middle of a change of the document: what was
    // expected of it goes, with the counts and a recount under way; they
    // are taken anew when next asked for.
    void startOver();
    // Counts the blocks about to be appended (`piece` starts with a block
    // break), so the append need not measure block by block; `counted` are
    // the counts another thread took of them by the wrap model alone (see
    // appendCounter), of which only the blocks the model left are measured.
    // An append below what the window shows repaints nothing; its blocks get
    // their layout objects later (see giveLayouts).
    void expectAppend(const QString& piece, bool shown, std::optional<ModelCount::Part> counted = {});
    // What counts the blocks of a piece to be appended (without its first
    // block break) by the wrap model alone, on any thread, until told to
    // stop; none when the model does not follow the font.
    using AppendCounter = std::function<ModelCount::Part(QStringView, const std::atomic<bool>&)>;
    AppendCounter appendCounter() const;

    // Many edits to come change the text of blocks but add or take none (all
    // of "Alle ersetzen"): the blocks they change are not measured after each
    // edit block, but once when `releaseCounts` says they are done (or, should
    // a question come first, then).
    void holdCounts();
    // Ends holdCounts: `changed` are the numbers of the blocks the edits
    // changed, in order, and `counted` their counts by the wrap model (see
    // appendCounter), taken from their new text; without them every block
    // in the stretch the edits touched is measured.
    void releaseCounts(const std::vector<int>& changed, std::optional<ModelCount::Part> counted);

protected:
    void documentChanged(int from, int removed, int added) override;

private:
    // Gives the blocks of a change their layout objects (without laying them out).
    void giveLayoutObjects(int from, int added) const;
    // One piece of the recount after a width change, between events.
    void recountSlice();
    // Gives a recount under way up, and the memory it holds back.
    void dropRecount();
    // The width Qt gives every line: read back from the first block's layout.
    qreal lineWidth() const;
    int measure(QStringView text);
    int measureByLayout(QStringView text);
    template <class Take>
    void layOutAlone(QStringView text, Take take);
    void prepareMeasuring();
    // The counts of every block of a raw text (blocks separated by U+2029).
    std::vector<int> countText(QStringView text);
    void update(int from, int added);
    // Notes the blocks a change touches while counts are held.
    void noteHeld(int from, int added);
    // Measures the blocks the edits since holdCounts touched, and forgets them.
    void measureHeld();
    void rebuild();
    void adopt(const std::vector<int>& counts);
    // Counts every block of the text from `from` on, by the model on all cores where it can.
    std::vector<int> countWhole(const QString& text, qsizetype from = 0);
    // Measures blocks for the recount until `enough` says so, or waits for
    // the model's count; true when all are measured.
    template <class Enough>
    bool recount(Enough enough, bool wait);
    void beginRecount();
    template <class Enough>
    bool copyForRecount(Enough enough, bool wait);
    void beginCounting();
    bool recountIsCurrent() const;

    DisplayLineIndex index_;
    bool valid_ = false;
    std::optional<std::vector<int>> expected_;
    bool layoutObjectsLater_ = false;
    std::optional<std::vector<int>> expectedAppend_;
    bool appendShown_ = true;
    // While counts are held: the first and last block the edits since touched (none: -1).
    bool holding_ = false;
    int heldFirst_ = -1;
    int heldLast_ = -1;
    QFont measuredFont_;
    qreal measuredWidth_ = -1;
    std::optional<qreal> lineWidthBeforeAhead_;  // Qt's, while blocks are laid out ahead of it

    std::optional<WrapModel> model_;
    QFont modelFont_;
    bool modelFontKnown_ = false;
    int modelWidth_ = 0;
    QTextLayout counter_;
    qreal counterWidth_ = 0;
    std::vector<int> starts_;

    // The recount after a width change: the blocks measured so far, the text
    // as it was at the start (copied up to `recountCopied_` while copying), and
    // where the next block starts in it (-1: none).
    QTimer recountTimer_;
    std::function<void()> whenRecounted_;
    std::function<void()> whenOutOfMemory_;
    std::function<void()> beforeQuestions_;
    std::unique_ptr<ModelCount> recountByModel_;  // when the model follows the font
    std::vector<int> recounted_;
    QString recountText_;
    int recountCopied_ = 0;
    bool recountCopying_ = false;
    qsizetype recountPos_ = -1;
    QFont recountFont_;
    qreal recountWidth_ = -1;
};

}  // namespace korvex
