#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pagesahead.h"
#include "search/textmatch.h"

class QTextDocument;

namespace korvex::search {

// Searches a document's raw text where the document keeps it, in the runs
// of its piece buffer, so a search of a big text copies nothing but a few
// units around the seams between runs. A big text is read and searched in
// two halves at once, one per core. Valid until the document changes.
class DocumentScan {
public:
    // From this many units on, a text is read and searched in two halves at once.
    static constexpr size_t kTwoHalvesFrom = size_t{1} << 21;

    explicit DocumentScan(const QTextDocument& document);

    // The raw text's length (the last block's end is no part of it).
    size_t length() const { return length_; }
    // The first match that starts at or after `from`.
    std::optional<Match> findForward(const Matcher& matcher, size_t from) const;
    // The last match that ends at or before `end`.
    std::optional<Match> findBackward(const Matcher& matcher, size_t end) const;
    // Every match from left to right, none overlapping the one before.
    std::vector<size_t> findAll(const Matcher& matcher) const;
    // Where the line holding `position` ends: the next line break at or
    // after it, or the text's end.
    size_t lineEnd(size_t position) const;
    // Appends the raw text [from, to) to `out`.
    void appendText(QString& out, size_t from, size_t to) const;

private:
    // Units that lie one after the other in the buffer.
    struct Run {
        size_t start;  // where it starts in the raw text
        const char16_t* units;
        size_t length;
    };
    // A stretch of text to search in, and the match starts it answers for.
    struct Window {
        size_t textStart;
        size_t textEnd;
        size_t firstStart;
        size_t lastStart;
    };
    using Windows = std::vector<Window>::const_iterator;
    // The runs of the pieces from `piece`, which starts at `start`, to `end`.
    template <class PieceIterator>
    std::vector<Run> readRuns(PieceIterator piece, size_t start, size_t end) const;
    void addRun(std::vector<Run>& runs, Run run) const;
    std::vector<Window> windowsFor(size_t patternLength) const;
    // The first window that answers for match starts from `start` on.
    static Windows windowFrom(const std::vector<Window>& windows, size_t start);
    std::optional<Match> firstIn(const Matcher& matcher, Windows first, Windows last, size_t from,
                                 const std::atomic<bool>& foundBefore) const;
    std::vector<size_t> allIn(const Matcher& matcher, Windows first, Windows last, size_t from) const;
    // The text of a window: in place within one run, else copied to `scratch`.
    std::u16string_view textOf(const Window& window, std::u16string& scratch) const;
    size_t runAt(size_t position) const;

    QString buffer_;  // shared with the document: its units stay put while this lives
    std::vector<Run> runs_;
    size_t length_ = 0;
};

// Puts `text`, which holds no line break, in place of the document's text
// [from, from + length), which holds none either, as a step of the
// document's undo: straight into the document's pieces, without what a
// text cursor does besides (format look-ups, cursor columns, frames),
// which costs more than the edit itself when there are hundreds of
// thousands.
void replaceText(QTextDocument& document, int from, int length, const QString& text);

// Edits append their text to the document's buffer, which for "Alle
// ersetzen" grows by as much as the whole text: the pages it fills are
// backed ahead of the edits on another core, as new pages cost the
// editing thread more than the copies themselves.
class BufferRoomAhead {
public:
    // The buffer is about to grow by `growth` units.
    BufferRoomAhead(const QTextDocument& document, qsizetype growth);

    // Between edits: once the buffer has moved or grown, its new room too.
    void follow();

private:
    const QTextDocument& document_;
    const char16_t* data_ = nullptr;
    qsizetype capacity_ = 0;
    qsizetype finalSize_ = 0;
    std::vector<std::unique_ptr<PagesBackedAhead>> backing_;
};

}  // namespace korvex::search
