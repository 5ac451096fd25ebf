#include "search/textsearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <optional>

#include "base/anotherthread.h"
#include "base/kxerror.h"
#include "display/boundedtextedit.h"
#include "display/documenttext.h"
#include "display/textprimitives.h"
#include "intentions/mainwindowintentions.h"
#include "platform/pagesahead.h"
#include "search/documentscan.h"

namespace korvex::search {
namespace {

std::u16string_view units(QStringView text) {
    return {reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(text.size())};
}

QString quoted(const QString& text) { return QStringLiteral("„") + text + QStringLiteral("“"); }

Outcome notFound(const QString& pattern) {
    const size_t unstorable = firstUnstorable(units(pattern));
    if (unstorable == std::u16string_view::npos)
        return {quoted(pattern) + QStringLiteral(" wurde nicht gefunden."), false};
    const QString character = QString(pattern)
                                  .mid(static_cast<qsizetype>(unstorable))
                                  .left(pattern.at(static_cast<qsizetype>(unstorable)).isHighSurrogate() ? 2 : 1);
    return {quoted(pattern) + QStringLiteral(" wurde nicht gefunden: ") + quoted(character) +
                QStringLiteral(" kann im Text nicht vorkommen."),
            false};
}

// Counts as German text writes them: 500.000.
QString number(size_t count) { return QLocale(QLocale::German).toString(static_cast<qulonglong>(count)); }

QString replacedCount(size_t count) {
    return count == 1 ? QStringLiteral("1 Stelle ersetzt.") : number(count) + QStringLiteral(" Stellen ersetzt.");
}

// The line holding `position`, and where it starts in the document.
struct TextPiece {
    QString text;
    int start = 0;
};

TextPiece lineAt(const QTextDocument& document, int position) {
    const QTextBlock block = document.findBlock(position);
    return {block.text(), block.position()};
}

// Replacements go in in rounds of about this long, and of at most so many
// edits, the window painting between them.
constexpr qint64 kRoundNs = 40'000'000;
constexpr int kRoundEdits = 10'000;
// Longer than this, and a progress window says how far it is.
constexpr int kProgressAfterMs = 300;

// Shows how far "Alle ersetzen" is once it takes longer than a moment;
// keys and clicks wait until it is done.
class ReplaceProgress {
public:
    explicit ReplaceProgress(QWidget& parent) : parent_(parent) { clock_.start(); }

    // How many there are to replace; the window answers meanwhile.
    void found(size_t total) {
        total_ = total;
        reached(0);
    }

    void reached(size_t done) {
        if (!dialog_ && clock_.elapsed() >= kProgressAfterMs) {
            dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Alle ersetzen ..."), QString(), 0,
                                                        static_cast<int>(total_), &parent_);
            dialog_->setWindowTitle(QStringLiteral("Ersetzen"));
            // It cannot be stopped half-way: no button to close it.
            dialog_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
            dialog_->setAccessibleName(QStringLiteral("Fortschritt beim Ersetzen"));
            dialog_->setWindowModality(Qt::ApplicationModal);
            dialog_->setMinimumDuration(0);
            dialog_->show();
        }
        if (dialog_) {
            dialog_->setLabelText(
                number(done) + QStringLiteral(" von ") + number(total_) + QStringLiteral(" Stellen ersetzt ..."));
            dialog_->setValue(static_cast<int>(done));
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QWidget& parent_;
    size_t total_ = 0;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// One edit of "Alle ersetzen": the document's line [from, to), which holds
// the matches up to `matchesDone`, becomes `texts[part][textStart, textEnd)`.
struct Edit {
    size_t from = 0;
    size_t to = 0;
    size_t part = 0;
    qsizetype textStart = 0;
    qsizetype textEnd = 0;
    size_t matchesDone = 0;
};

// Every line with a match as it reads once each match is replaced: their
// new texts one after the other, separated as lines are, so that their
// display lines can be counted in one go, in one part or in two, as they
// were made; the number of each line; and the longest of them.
struct Replacements {
    std::vector<QString> texts;
    std::vector<Edit> edits;
    std::vector<int> lines;
    size_t longestLine = 0;
    bool breaksLines = false;  // the replacement holds a line break

    qsizetype units() const {
        qsizetype units = 0;
        for (const QString& text : texts) units += text.size();
        return units;
    }
};

// What the new lines are made of.
struct ReplacementSource {
    const DocumentScan& scan;
    const std::vector<size_t>& starts;
    size_t matchLength = 0;
    const QString& replacement;
};

// Where making new lines begins: a match, the first of its line, which
// starts at `lineStart` and has the number `line`.
struct LineAhead {
    size_t match = 0;
    size_t lineStart = 0;
    int line = 0;
};

// The lines with the matches [from.match, to) as they read replaced, added
// to `made`; `meanwhile` is called every round.
Replacements makeLines(const ReplacementSource& source, LineAhead from, size_t to, Replacements made,
                       const std::function<void()>& meanwhile) {
    const DocumentScan& scan = source.scan;
    const std::vector<size_t>& starts = source.starts;
    QString& text = made.texts.back();
    const size_t firstEdit = made.edits.size();
    size_t lineStart = from.lineStart;
    size_t lineEnd = scan.lineEnd(lineStart);
    int line = from.line;
    QElapsedTimer round;
    round.start();
    for (size_t k = from.match; k < to;) {
        if (made.edits.size() % 256 == 0 && round.nsecsElapsed() >= kRoundNs) {
            meanwhile();
            round.start();
        }
        while (starts[k] >= lineEnd) {  // no match holds a line break
            lineStart = lineEnd + 1;
            lineEnd = scan.lineEnd(lineStart);
            ++line;
        }
        if (made.edits.size() > firstEdit) text.append(QChar::ParagraphSeparator);
        Edit edit{lineStart, lineEnd, made.texts.size() - 1, text.size(), 0, 0};
        size_t copied = lineStart;
        for (; k < to && starts[k] < lineEnd; ++k) {
            scan.appendText(text, copied, starts[k]);
            text.append(source.replacement);
            copied = starts[k] + source.matchLength;
        }
        scan.appendText(text, copied, lineEnd);
        edit.textEnd = text.size();
        edit.matchesDone = k;
        made.longestLine = std::max(made.longestLine, static_cast<size_t>(edit.textEnd - edit.textStart));
        made.edits.push_back(edit);
        made.lines.push_back(line);
    }
    return made;
}

// The units the new lines of the matches from `from` up to `to` take at most.
qsizetype roomFor(const ReplacementSource& source, const LineAhead& from, const LineAhead& to) {
    const auto growth = static_cast<qsizetype>(source.replacement.size()) - static_cast<qsizetype>(source.matchLength);
    const auto matches = static_cast<qsizetype>(to.match - from.match);
    return static_cast<qsizetype>(to.lineStart - from.lineStart) + matches * std::max<qsizetype>(growth, 0);
}

// The lines of `more`, made after those of `made`, join them.
void appendLines(Replacements& made, Replacements more) {
    const size_t firstPart = made.texts.size();
    for (QString& text : more.texts) made.texts.push_back(std::move(text));
    for (Edit edit : more.edits) {
        edit.part += firstPart;
        made.edits.push_back(edit);
    }
    made.lines.insert(made.lines.end(), more.lines.begin(), more.lines.end());
    made.longestLine = std::max(made.longestLine, more.longestLine);
}

// Every line with a match, made in one pass over the document's text
// before anything changes; for a big text in two halves at once, the
// second from the start of a line in the middle on another core.
Replacements makeReplacements(const QTextDocument& document, const ReplacementSource& source,
                              ReplaceProgress& progress) {
    const std::vector<size_t>& starts = source.starts;
    const LineAhead end{starts.size(), source.scan.length()};
    LineAhead secondHalf = end;
    if (source.scan.length() >= DocumentScan::kTwoHalvesFrom) {
        const QTextBlock middle = document.findBlock(static_cast<int>(starts[starts.size() / 2]));
        const auto lineStart = static_cast<size_t>(middle.position());
        secondHalf = {static_cast<size_t>(std::lower_bound(starts.begin(), starts.end(), lineStart) - starts.begin()),
                      lineStart, middle.blockNumber()};
        if (secondHalf.match == 0) secondHalf = end;  // the first match lies in that line: no halves
    }
    Replacements first;
    first.breaksLines = source.replacement.contains(u'\n') || source.replacement.contains(u'\r');
    const auto paint = [&progress] { progress.reached(0); };
    first.texts.emplace_back().reserve(roomFor(source, {}, secondHalf));
    if (secondHalf.match == starts.size()) {
        // Its pages beyond the first third are backed on another core meanwhile.
        const QString& text = first.texts.front();
        const qsizetype firstThird = text.capacity() / 3;
        const PagesBackedAhead backed(text.constData() + firstThird,
                                      static_cast<size_t>(text.capacity() - firstThird) * sizeof(QChar));
        return makeLines(source, {}, starts.size(), std::move(first), paint);
    }
    auto halves = atOnce([&] { return makeLines(source, {}, secondHalf.match, std::move(first), paint); },
                         [&] {
                             Replacements second;
                             second.texts.emplace_back().reserve(roomFor(source, secondHalf, end));
                             return makeLines(source, secondHalf, starts.size(), std::move(second), [] {});
                         });
    appendLines(halves.first, std::move(halves.second));
    return std::move(halves.first);
}

// Qt's document does not survive memory running out halfway through an
// edit: the program ends. So the room the edits take is asked for first,
// while nothing has changed yet: the document's buffer grows by the new
// lines (twice that while it moves), and each edit adds undo records and
// pieces of text. Throws std::bad_alloc when the room is not there.
void makeSureTheEditsFit(const Replacements& made) {
    constexpr size_t kBytesPerEdit = 256;
    constexpr size_t kSlack = size_t{16} << 20;  // the layout's reaction, the window painting
    const size_t bytes = static_cast<size_t>(made.units()) * sizeof(QChar) * 2 + made.edits.size() * kBytesPerEdit +
                         kSlack;
    void* room = std::malloc(bytes);
    if (room == nullptr) throw std::bad_alloc();
    static_cast<volatile char*>(room)[bytes - 1] = 0;  // so that the compiler keeps the allocation
    std::free(room);
}

// Puts the replacements in, in rounds, the window painting between them;
// the rounds join into one undo step. The window counts the display lines
// of the lines replaced once at the end, from their new text, counted
// meanwhile on another core where it can.
void putIn(TextPrimitives& textWindow, const Replacements& made, ReplaceProgress& progress) {
    makeSureTheEditsFit(made);
    QTextDocument& document = textWindow.textDocument();
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    std::future<ModelCount::Part> counted;
    if (auto count = textWindow.lineCounter()) {
        counted = onAnotherThread([count = std::move(count), texts = made.texts, stop] {
            ModelCount::Part counts = count(texts.front(), *stop);
            for (size_t part = 1; part < texts.size(); ++part) ModelCount::join(counts, count(texts[part], *stop));
            return counts;
        });
    }
    const auto stopCounting = qScopeGuard([&] {
        stop->store(true);
        if (counted.valid()) counted.wait();
    });
    textWindow.holdLineCounts();
    auto release = qScopeGuard([&textWindow] { textWindow.releaseLineCounts({}, std::nullopt); });
    BufferRoomAhead roomAhead(document, made.units());
    QTextCursor rounds(&document);
    qsizetype shift = 0;
    QElapsedTimer round;
    round.start();
    int inRound = 0;
    const int undoStepsBefore = document.availableUndoSteps();
    rounds.beginEditBlock();
    bool blockOpen = true;
    // Should memory run out halfway, the edit block is closed and what went
    // in is taken back: the text stays as it was, and the next edit is an
    // undo step of its own instead of joining a half replacement.
    auto takeBackIfCut = qScopeGuard([&] {
        if (blockOpen) rounds.endEditBlock();
        try {
            if (document.availableUndoSteps() > undoStepsBefore) document.undo();
        } catch (const std::bad_alloc&) {  // the step stays, whole, for Strg+Z
        }
    });
    for (const Edit& edit : made.edits) {
        const auto from = static_cast<int>(static_cast<qsizetype>(edit.from) + shift);
        const auto length = static_cast<int>(edit.to - edit.from);
        const QString text = QString::fromRawData(made.texts[edit.part].constData() + edit.textStart,
                                                  edit.textEnd - edit.textStart);
        const int before = document.characterCount();
        if (made.breaksLines) {
            rounds.setPosition(from);  // which makes the lines
            rounds.setPosition(from + length, QTextCursor::KeepAnchor);
            rounds.insertText(text);
        } else {
            replaceText(document, from, length, text);
        }
        shift += document.characterCount() - before;
        const bool roundDone = ++inRound >= kRoundEdits || round.nsecsElapsed() >= kRoundNs;
        if (roundDone && &edit != &made.edits.back()) {
            rounds.endEditBlock();
            blockOpen = false;
            progress.reached(edit.matchesDone);
            roomAhead.follow();
            rounds.joinPreviousEditBlock();
            blockOpen = true;
            round.start();
            inRound = 0;
        }
    }
    takeBackIfCut.dismiss();
    rounds.endEditBlock();
    std::optional<ModelCount::Part> lineCounts;
    try {
        if (counted.valid()) lineCounts = counted.get();
    } catch (const std::bad_alloc&) {  // the window measures the lines itself
    }
    release.dismiss();
    textWindow.releaseLineCounts(made.lines, std::move(lineCounts));
}

// Where a position of the text before "Alle ersetzen" is afterwards: moved
// by the matches before it; within a match, at its start.
int placeAfterReplacing(int position, const std::vector<size_t>& starts, size_t matchLength, qsizetype growth) {
    const auto at = static_cast<size_t>(position);
    const auto before = static_cast<qsizetype>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin());
    if (before > 0 && at < starts[static_cast<size_t>(before) - 1] + matchLength) {
        return static_cast<int>(
            static_cast<qsizetype>(starts[static_cast<size_t>(before) - 1]) + growth * (before - 1));
    }
    return static_cast<int>(static_cast<qsizetype>(at) + growth * before);
}

}  // namespace

TextSearch::TextSearch(MainWindowIntentions& window) : window_(window) {}

// Searches what the window holds; a text still loading is searched as far
// as it is in, then brought in whole when the match may lie in the rest.
std::optional<Match> TextSearch::find(const Matcher& matcher, bool upwards, int from) {
    TextPrimitives& textWindow = window_.textWindow();
    const auto at = static_cast<size_t>(from);
    if (auto match = upwards ? DocumentScan(textWindow.textDocument()).findBackward(matcher, at)
                             : DocumentScan(textWindow.textDocument()).findForward(matcher, at)) {
        return match;
    }
    if (upwards || !textWindow.isLoading()) return std::nullopt;
    textWindow.finishLoading();
    return DocumentScan(textWindow.textDocument()).findForward(matcher, at);
}

Outcome TextSearch::findNext(const SearchRequest& request) {
    const Matcher matcher(units(request.pattern), request.rules);
    const TextPrimitives::Selection selection = window_.textWindow().selection();
    const bool upwards = request.upwards;
    const int from = upwards ? selection.start() : selection.end();
    if (auto match = find(matcher, upwards, from)) {
        select(*match, upwards);
        return {};
    }
    // Once round from the other end, with the whole text in.
    window_.textWindow().finishLoading();
    const DocumentScan scan(window_.textWindow().textDocument());
    const auto match = upwards ? scan.findBackward(matcher, scan.length()) : scan.findForward(matcher, 0);
    if (!match) return notFound(request.pattern);
    select(*match, upwards);
    return {upwards ? QStringLiteral("Am Textanfang angekommen: weiter am Ende gesucht.")
                    : QStringLiteral("Am Textende angekommen: weiter am Anfang gesucht.")};
}

void TextSearch::select(Match match, bool upwards) {
    const auto start = static_cast<int>(match.start);
    const auto end = static_cast<int>(match.start + match.length);
    window_.textWindow().select(upwards ? end : start, upwards ? start : end);
    window_.updateStatus();
}

// Why nothing may be replaced, or nothing when it may.
QString TextSearch::refusalToChange(const SearchRequest& request, const QString& replacement) const {
    // The typing test has ended: its text stays as it was typed until RST.
    if (window_.textWindow().isLocked()) {
        return QStringLiteral("Nichts ersetzt: Der Text ist nach dem Schreibtest gesperrt, bis RST ihn freigibt.");
    }
    const size_t unstorable = firstUnstorable(units(replacement));
    if (unstorable != std::u16string_view::npos) {
        const auto at = static_cast<qsizetype>(unstorable);
        const QString character = replacement.mid(at, replacement.at(at).isHighSurrogate() ? 2 : 1);
        return QStringLiteral("Nichts ersetzt: ") + quoted(character) +
               QStringLiteral(" kann im Text nicht stehen (Windows-1252).");
    }
    if (firstUnstorable(units(request.pattern)) != std::u16string_view::npos) return notFound(request.pattern).message;
    return {};
}

Outcome TextSearch::replaceCurrent(const SearchRequest& request, const QString& replacement) {
    if (const QString refusal = refusalToChange(request, replacement); !refusal.isEmpty()) return {refusal, false};
    TextPrimitives& textWindow = window_.textWindow();
    textWindow.finishLoading();
    const TextPrimitives::Selection selection = textWindow.selection();
    const Matcher matcher(units(request.pattern), request.rules);
    const TextPiece line = lineAt(textWindow.textDocument(), selection.start());
    const auto start = static_cast<size_t>(selection.start() - line.start);
    const auto length = static_cast<size_t>(selection.end() - selection.start());
    if (matcher.isMatchAt(units(line.text), start, length)) {
        textWindow.replaceSelection(toCp1252(replacement));
        window_.markChanged();
    }
    // On after what was put in, so a replacement holding the search text is not found again.
    return findNext({request.pattern, request.rules, false});
}

// The new lines of "Alle ersetzen", as long as the text, are let go of on
// another core; without one, or short of memory for it, here and now: the
// replacement is done either way.
void TextSearch::letGoOf(std::vector<QString> texts) {
    try {
        textToFree_ = onAnotherThread([texts = std::move(texts)]() mutable { texts.clear(); });
        if (textToFree_.wait_for(std::chrono::seconds(0)) == std::future_status::deferred) textToFree_.get();
    } catch (const std::bad_alloc&) {  // the text went with the task that could not be made
    }
}

Outcome TextSearch::replaceAll(const SearchRequest& request, const QString& replacement) {
    if (const QString refusal = refusalToChange(request, replacement); !refusal.isEmpty()) return {refusal, false};
    TextPrimitives& textWindow = window_.textWindow();
    textWindow.finishLoading();  // every match, not only those in so far
    QTextDocument& document = textWindow.textDocument();
    const Matcher matcher(units(request.pattern), request.rules);
    const auto matchLength = static_cast<size_t>(request.pattern.size());
    const auto replacementLength = static_cast<size_t>(replacement.size());
    ReplaceProgress progress(window_.dialogParent());
    std::vector<size_t> starts;
    Replacements made;
    {
        // The document's own text is read, and only until the first change.
        const DocumentScan scan(document);
        starts = scan.findAll(matcher);
        if (starts.empty()) return notFound(request.pattern);
        progress.found(starts.size());
        const size_t characters = scan.length() + starts.size() * replacementLength - starts.size() * matchLength;
        const auto lineCount = static_cast<size_t>(document.blockCount());
        // Too long a text is refused before the lines are made, too long a line once they are.
        const auto fits = [&](size_t longestLine) {
            return BoundedTextEdit::withinBounds(characters + lineCount - 1, lineCount,
                                                 static_cast<qsizetype>(longestLine));
        };
        if (!fits(0)) throw KxError(BoundedTextEdit::kOverCapacity.toStdString());
        progress.reached(0);
        made = makeReplacements(document, {scan, starts, matchLength, replacement}, progress);
        if (!fits(made.longestLine)) throw KxError(BoundedTextEdit::kOverCapacity.toStdString());
    }
    progress.reached(0);
    const TextPrimitives::Selection before = textWindow.selection();
    // The caret and the lines shown stay where they were in the text.
    textWindow.keepView([&] {
        putIn(textWindow, made, progress);
        const qsizetype growth = replacement.size() - request.pattern.size();
        textWindow.select(placeAfterReplacing(before.anchor, starts, matchLength, growth),
                          placeAfterReplacing(before.position, starts, matchLength, growth));
    });
    letGoOf(std::move(made.texts));
    window_.markChanged();
    window_.updateStatus();
    return {replacedCount(starts.size())};
}

}  // namespace korvex::search
