#include "search/documentscan.h"

#include <private/qtextdocument_p.h>
#include <QTextDocument>
#include <algorithm>

#include "base/anotherthread.h"

namespace korvex::search {

namespace {

// A window answers for at most so many match starts: one half of a search
// looks between windows whether the other has found what it looks for.
constexpr size_t kWindowStarts = size_t{1} << 18;

// A few units compared one by one: far cheaper than a call to compare
// memory, made once for each line of a loaded text.
bool sameUnits(const char16_t* a, const char16_t* b, size_t length) {
    for (size_t k = 0; k < length; ++k) {
        if (a[k] != b[k]) return false;
    }
    return true;
}

}  // namespace

DocumentScan::DocumentScan(const QTextDocument& document) {
    const QTextDocumentPrivate* text = QTextDocumentPrivate::get(&document);
    buffer_ = text->buffer();
    const auto end = static_cast<size_t>(std::max(document.characterCount() - 1, 0));
    if (end < kTwoHalvesFrom) {
        runs_ = readRuns(text->begin(), 0, end);
    } else {
        const auto middle = text->find(static_cast<int>(end / 2));
        const auto middleStart = static_cast<size_t>(middle.position());
        auto [runs, secondHalf] = atOnce([&] { return readRuns(text->begin(), 0, middleStart); },
                                         [&] { return readRuns(middle, middleStart, end); });
        runs_ = std::move(runs);
        for (const Run& run : secondHalf) addRun(runs_, run);
    }
    length_ = runs_.empty() ? 0 : runs_.back().start + runs_.back().length;
}

template <class PieceIterator>
std::vector<DocumentScan::Run> DocumentScan::readRuns(PieceIterator piece, size_t start, size_t end) const {
    std::vector<Run> runs;
    const auto* units = reinterpret_cast<const char16_t*>(buffer_.constData());
    for (size_t position = start; !piece.atEnd() && position < end; ++piece) {
        const size_t length = std::min<size_t>(piece->size_array[0], end - position);
        addRun(runs, {position, units + piece->stringPosition, length});
        position += length;
    }
    return runs;
}

// Pieces that follow one another in the buffer make one run, and so does
// a piece whose units follow the run anyway: Qt keeps a text inserted in
// one go (a load, a paste) whole in the buffer, line breaks included, but
// gives each line's end a unit of its own after it, which is the same
// U+2029. So a text inserted in one go is read as a single run.
void DocumentScan::addRun(std::vector<Run>& runs, Run run) const {
    constexpr size_t kComparedAtMost = 8;
    if (!runs.empty()) {
        Run& last = runs.back();
        const char16_t* next = last.units + last.length;
        const char16_t* bufferEnd = reinterpret_cast<const char16_t*>(buffer_.constData()) + buffer_.size();
        const bool same = next == run.units ||
                          (run.length <= kComparedAtMost && run.length <= size_t(bufferEnd - next) &&
                           sameUnits(run.units, next, run.length));
        if (same) {
            last.length += run.length;
            return;
        }
    }
    runs.push_back(run);
}

// Each run answers for the matches that lie within it with a unit to spare
// on either side (the neighbours a whole word looks at); a short window
// copied across each seam answers for the rest.
std::vector<DocumentScan::Window> DocumentScan::windowsFor(size_t patternLength) const {
    std::vector<Window> windows;
    if (patternLength == 0 || length_ < patternLength) return windows;
    const size_t lastPossible = length_ - patternLength;
    size_t next = 0;  // the first match start no window answers for yet
    const auto add = [&](size_t textStart, size_t textEnd, size_t firstStart, size_t lastStart) {
        firstStart = std::max(firstStart, next);
        lastStart = std::min(lastStart, lastPossible);
        for (size_t first = firstStart; first <= lastStart; first = next) {
            const size_t last = std::min(lastStart, first + kWindowStarts - 1);
            windows.push_back({std::max(textStart, first > 0 ? first - 1 : 0),
                               std::min(textEnd, last + patternLength + 1), first, last});
            next = last + 1;
        }
    };
    const auto seam = [&](size_t at) {
        const size_t first = at >= patternLength ? at - patternLength : 0;
        add(first > 0 ? first - 1 : 0, std::min(length_, at + patternLength + 1), first, at);
    };
    for (const Run& run : runs_) {
        seam(run.start);
        if (run.length >= patternLength + 2)
            add(run.start, run.start + run.length, run.start + 1, run.start + run.length - patternLength - 1);
    }
    seam(length_);
    return windows;
}

size_t DocumentScan::runAt(size_t position) const {
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), position,
                                        [](size_t at, const Run& run) { return at < run.start; });
    return static_cast<size_t>(after - runs_.begin()) - 1;
}

std::u16string_view DocumentScan::textOf(const Window& window, std::u16string& scratch) const {
    const Run& run = runs_[runAt(window.textStart)];
    if (window.textEnd <= run.start + run.length) {
        return {run.units + (window.textStart - run.start), window.textEnd - window.textStart};
    }
    QString copy;
    appendText(copy, window.textStart, window.textEnd);
    scratch.assign(reinterpret_cast<const char16_t*>(copy.constData()), static_cast<size_t>(copy.size()));
    return scratch;
}

size_t DocumentScan::lineEnd(size_t position) const {
    for (size_t k = runAt(position); k < runs_.size(); ++k) {
        const Run& run = runs_[k];
        const size_t from = std::max(position, run.start);
        if (from >= run.start + run.length) continue;
        const qsizetype found = QStringView(run.units + (from - run.start),
                                            static_cast<qsizetype>(run.start + run.length - from))
                                    .indexOf(QChar::ParagraphSeparator);
        if (found >= 0) return from + static_cast<size_t>(found);
    }
    return length_;
}

void DocumentScan::appendText(QString& out, size_t from, size_t to) const {
    for (size_t k = runAt(from); from < to; ++k) {
        const Run& run = runs_[k];
        const size_t end = std::min(to, run.start + run.length);
        out.append(QStringView(run.units + (from - run.start), static_cast<qsizetype>(end - from)));
        from = end;
    }
}

DocumentScan::Windows DocumentScan::windowFrom(const std::vector<Window>& windows, size_t start) {
    return std::lower_bound(windows.begin(), windows.end(), start,
                            [](const Window& w, size_t at) { return w.lastStart < at; });
}

std::optional<Match> DocumentScan::findForward(const Matcher& matcher, size_t from) const {
    if (!matcher.canMatch()) return std::nullopt;
    const std::vector<Window> windows = windowsFor(matcher.patternLength());
    std::atomic<bool> found = false;
    if (from >= length_ || length_ - from < kTwoHalvesFrom) {
        return firstIn(matcher, windowFrom(windows, from), windows.end(), from, found);
    }
    // The second half looks until the first has found a match.
    const auto middle = windowFrom(windows, from + (length_ - from) / 2);
    auto [inFirstHalf, inSecondHalf] = atOnce(
        [&] {
            auto match = firstIn(matcher, windowFrom(windows, from), middle, from, found);
            found = match.has_value();
            return match;
        },
        [&] { return firstIn(matcher, middle, windows.end(), from, found); });
    return inFirstHalf ? inFirstHalf : inSecondHalf;
}

std::optional<Match> DocumentScan::firstIn(const Matcher& matcher, Windows first, Windows last, size_t from,
                                           const std::atomic<bool>& foundBefore) const {
    std::u16string scratch;
    for (auto window = first; window != last && !foundBefore; ++window) {
        const std::u16string_view text = textOf(*window, scratch);
        const size_t start = std::max(from, window->firstStart);
        const auto match = matcher.findForward(text, start - window->textStart);
        if (match && match->start + window->textStart <= window->lastStart) {
            return Match{match->start + window->textStart, match->length};
        }
    }
    return std::nullopt;
}

std::optional<Match> DocumentScan::findBackward(const Matcher& matcher, size_t end) const {
    if (!matcher.canMatch()) return std::nullopt;
    const size_t length = matcher.patternLength();
    const std::vector<Window> windows = windowsFor(length);
    std::u16string scratch;
    for (size_t k = windows.size(); k-- > 0;) {
        const Window& window = windows[k];
        const size_t endInWindow = std::min(end, window.lastStart + length);
        if (endInWindow < window.firstStart + length) continue;
        const std::u16string_view text = textOf(window, scratch);
        const auto match = matcher.findBackward(text, endInWindow - window.textStart);
        if (match && match->start + window.textStart >= window.firstStart) {
            return Match{match->start + window.textStart, match->length};
        }
    }
    return std::nullopt;
}

std::vector<size_t> DocumentScan::findAll(const Matcher& matcher) const {
    if (!matcher.canMatch()) return {};
    const std::vector<Window> windows = windowsFor(matcher.patternLength());
    if (length_ < kTwoHalvesFrom) return allIn(matcher, windows.begin(), windows.end(), 0);
    const auto middle = windowFrom(windows, length_ / 2);
    if (middle == windows.end()) return allIn(matcher, windows.begin(), windows.end(), 0);
    auto [starts, secondHalf] = atOnce([&] { return allIn(matcher, windows.begin(), middle, 0); },
                                       [&] { return allIn(matcher, middle, windows.end(), middle->firstStart); });
    // A match of the first half that reaches into the second hides the
    // matches it overlaps there, and those can hide others: that half is
    // searched again from the match's end.
    const size_t free = starts.empty() ? 0 : starts.back() + matcher.patternLength();
    if (!secondHalf.empty() && secondHalf.front() < free) secondHalf = allIn(matcher, middle, windows.end(), free);
    starts.insert(starts.end(), secondHalf.begin(), secondHalf.end());
    return starts;
}

std::vector<size_t> DocumentScan::allIn(const Matcher& matcher, Windows first, Windows last, size_t from) const {
    std::vector<size_t> starts;
    const size_t length = matcher.patternLength();
    std::u16string scratch;
    for (auto window = first; window != last; ++window) {
        const std::u16string_view text = textOf(*window, scratch);
        for (size_t at = std::max(from, window->firstStart); at <= window->lastStart;) {
            const auto match = matcher.findForward(text, at - window->textStart);
            if (!match || match->start + window->textStart > window->lastStart) break;
            starts.push_back(match->start + window->textStart);
            from = at = starts.back() + length;
        }
    }
    return starts;
}

void replaceText(QTextDocument& document, int from, int length, const QString& text) {
    QTextDocumentPrivate& pieces = *QTextDocumentPrivate::get(&document);
    const int format = pieces.find(from)->format;  // the text's own, as typing there would keep it
    pieces.remove(from, length);
    pieces.insert(from, text, format);
}

namespace {

// The document's buffer, shared only while it is looked at: an edit while
// it is shared would copy it whole.
QString bufferOf(const QTextDocument& document) { return QTextDocumentPrivate::get(&document)->buffer(); }

}  // namespace

BufferRoomAhead::BufferRoomAhead(const QTextDocument& document, qsizetype growth) : document_(document) {
    finalSize_ = bufferOf(document).size() + growth;
    follow();
}

void BufferRoomAhead::follow() {
    const QString buffer = bufferOf(document_);
    const auto* data = reinterpret_cast<const char16_t*>(buffer.constData());
    if (data == data_ && buffer.capacity() == capacity_) return;
    data_ = data;
    capacity_ = buffer.capacity();
    const qsizetype end = std::min(capacity_, finalSize_);
    if (end > buffer.size()) {
        backing_.push_back(std::make_unique<PagesBackedAhead>(
            data + buffer.size(), static_cast<size_t>(end - buffer.size()) * sizeof(char16_t)));
    }
}

}  // namespace korvex::search
