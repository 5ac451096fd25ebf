#include "search/textsearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QProgressDialog>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <functional>
#include <memory>

#include "base/kxerror.h"
#include "display/documenttext.h"
#include "display/textwindow.h"
#include "intentions/mainwindowintentions.h"

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

// The window's text read line by line near where a search starts (a match
// holds no line break), so a near match is found at once; beyond that the
// text is copied once and searched in one pass, which costs less than many
// lines one by one. The copy goes when the search ends.
constexpr int kNearUnits = 64 * 1024;

struct TextPiece {
    QString text;
    int start = 0;  // where it starts in the document
};

class LineReader {
public:
    explicit LineReader(QTextDocument& document) : document_(document) {}

    int length() const { return document_.characterCount() - 1; }

    // The line holding `position`.
    TextPiece lineAt(int position) const { return pieceOf(document_.findBlock(position)); }

    // Line by line near `from`; farther on, the rest in one pass over a copy of the whole.
    std::optional<Match> findForward(const Matcher& matcher, int from) const {
        QTextBlock block = document_.findBlock(from);
        for (const int near = from + kNearUnits; block.isValid() && block.position() < near; block = block.next()) {
            const TextPiece line = pieceOf(block);
            const auto inLine = static_cast<size_t>(std::max(from - line.start, 0));
            if (auto match = matcher.findForward(units(line.text), inLine)) return shifted(*match, line);
        }
        if (!block.isValid()) return std::nullopt;
        const QString whole = document_.toRawText();
        return matcher.findForward(units(whole), static_cast<size_t>(block.position()));
    }
    // The last match that ends at or before `end`.
    std::optional<Match> findBackward(const Matcher& matcher, int end) const {
        QTextBlock block = document_.findBlock(end);
        for (const int near = end - kNearUnits; block.isValid() && block.position() + block.length() > near;
             block = block.previous()) {
            const TextPiece line = pieceOf(block);
            const auto inLine = static_cast<size_t>(std::min(end - line.start, static_cast<int>(line.text.size())));
            if (auto match = matcher.findBackward(units(line.text), inLine)) return shifted(*match, line);
        }
        if (!block.isValid()) return std::nullopt;
        const QString whole = document_.toRawText();
        return matcher.findBackward(units(whole), static_cast<size_t>(block.position() + block.length() - 1));
    }

private:
    static TextPiece pieceOf(const QTextBlock& block) { return {block.text(), block.position()}; }
    static Match shifted(Match match, const TextPiece& piece) {
        return {match.start + static_cast<size_t>(piece.start), match.length};
    }

    QTextDocument& document_;
};

// Replacements go in in rounds of this many, the window painting between them.
constexpr size_t kRound = 8'000;
// Longer than this, and a progress window says how far it is.
constexpr int kProgressAfterMs = 300;

// Shows how far "Alle ersetzen" is once it takes longer than a moment;
// keys and clicks wait until it is done.
class ReplaceProgress {
public:
    ReplaceProgress(QWidget& parent, size_t total) : parent_(parent), total_(total) { clock_.start(); }

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
    size_t total_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// Every match of `matchLength` units at `starts` (raw text positions, from
// left to right) becomes `replacement`; the rounds join into one undo step.
// Every match of `matchLength` units at `starts` (positions in `text`, the
// window's raw text, from left to right) becomes `replacement`. The matches
// of one line go in together, as one edit from the first to the last; the
// rounds join into one undo step.
void replaceMatches(QTextDocument& document, QStringView text, const std::vector<size_t>& starts, size_t matchLength,
                    const QString& replacement, ReplaceProgress& progress) {
    QTextCursor cursor(&document);
    const qsizetype growth = replacement.size() - static_cast<qsizetype>(matchLength);
    qsizetype shift = 0;
    QString replaced;
    cursor.beginEditBlock();
    for (size_t done = 0, roundEnd = kRound; done < starts.size();) {
        const size_t first = done;
        const qsizetype lineEnd = text.indexOf(QChar::ParagraphSeparator, static_cast<qsizetype>(starts[first]));
        replaced.resize(0);
        size_t at = starts[first];
        for (; done < starts.size() && (lineEnd < 0 || starts[done] < static_cast<size_t>(lineEnd)); ++done) {
            replaced.append(text.sliced(static_cast<qsizetype>(at), static_cast<qsizetype>(starts[done] - at)));
            replaced.append(replacement);
            at = starts[done] + matchLength;
        }
        const auto from = static_cast<int>(static_cast<qsizetype>(starts[first]) + shift);
        cursor.setPosition(from);
        cursor.setPosition(from + static_cast<int>(at - starts[first]), QTextCursor::KeepAnchor);
        cursor.insertText(replaced);
        shift += growth * static_cast<qsizetype>(done - first);
        if (done >= roundEnd && done < starts.size()) {
            cursor.endEditBlock();
            progress.reached(done);
            cursor.joinPreviousEditBlock();
            roundEnd = done + kRound;
        }
    }
    cursor.endEditBlock();
}

}  // namespace

TextSearch::TextSearch(MainWindowIntentions& window) : window_(window) {}

// Searches what the window holds; a text still loading is searched as far
// as it is in, then brought in whole when the match may lie in the rest.
std::optional<Match> TextSearch::find(const Matcher& matcher, bool upwards, int from) {
    TextWindow& memo = window_.textWindow();
    const LineReader lines(*memo.document());
    if (auto match = upwards ? lines.findBackward(matcher, from) : lines.findForward(matcher, from)) return match;
    if (upwards || !memo.isLoading()) return std::nullopt;
    memo.finishLoading();
    return LineReader(*memo.document()).findForward(matcher, from);
}

Outcome TextSearch::findNext(const SearchRequest& request) {
    const Matcher matcher(units(request.pattern), request.rules);
    const QTextCursor selection = window_.textWindow().textCursor();
    const bool upwards = request.upwards;
    const int from = upwards ? selection.selectionStart() : selection.selectionEnd();
    if (auto match = find(matcher, upwards, from)) {
        select(*match, upwards);
        return {};
    }
    // Once round from the other end, with the whole text in.
    window_.textWindow().finishLoading();
    const LineReader lines(*window_.textWindow().document());
    const auto match = upwards ? lines.findBackward(matcher, lines.length()) : lines.findForward(matcher, 0);
    if (!match) return notFound(request.pattern);
    select(*match, upwards);
    return {upwards ? QStringLiteral("Am Textanfang angekommen: weiter am Ende gesucht.")
                    : QStringLiteral("Am Textende angekommen: weiter am Anfang gesucht.")};
}

void TextSearch::select(Match match, bool upwards) {
    TextWindow& memo = window_.textWindow();
    const auto start = static_cast<int>(match.start);
    const auto end = static_cast<int>(match.start + match.length);
    QTextCursor cursor(memo.document());
    cursor.setPosition(upwards ? end : start);
    cursor.setPosition(upwards ? start : end, QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
    memo.ensureCursorVisible();
    window_.updateStatus();
}

// Why nothing may be replaced, or nothing when it may.
QString TextSearch::refusalToChange(const SearchRequest& request, const QString& replacement) const {
    // The typing test has ended: its text stays as it was typed until RST.
    if (window_.textWindow().isReadOnly()) {
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
    TextWindow& memo = window_.textWindow();
    memo.finishLoading();
    const QTextCursor selection = memo.textCursor();
    const Matcher matcher(units(request.pattern), request.rules);
    const TextPiece line = LineReader(*memo.document()).lineAt(selection.selectionStart());
    const auto start = static_cast<size_t>(selection.selectionStart() - line.start);
    const auto length = static_cast<size_t>(selection.selectionEnd() - selection.selectionStart());
    if (matcher.isMatchAt(units(line.text), start, length)) {
        memo.replaceSelection(toCp1252(replacement));
        window_.markChanged();
    }
    // On after what was put in, so a replacement holding the search text is not found again.
    return findNext({request.pattern, request.rules, false});
}

Outcome TextSearch::replaceAll(const SearchRequest& request, const QString& replacement) {
    if (const QString refusal = refusalToChange(request, replacement); !refusal.isEmpty()) return {refusal, false};
    TextWindow& memo = window_.textWindow();
    memo.finishLoading();  // every match, not only those in so far
    const Matcher matcher(units(request.pattern), request.rules);
    const auto matchLength = static_cast<size_t>(request.pattern.size());
    const auto replacementLength = static_cast<size_t>(replacement.size());
    // All of it at once: one copy and one pass cost less than line by line here.
    const QString text = memo.document()->toRawText();
    const std::vector<size_t> starts = matcher.findAll(units(text));
    if (starts.empty()) return notFound(request.pattern);
    const size_t longestLine = longestLineAfterReplacing(units(text), starts, matchLength, replacementLength);
    const size_t characters = static_cast<size_t>(text.size()) + starts.size() * replacementLength -
                              starts.size() * matchLength;
    const auto lineCount = static_cast<size_t>(memo.document()->blockCount());
    if (!TextWindow::withinBounds(characters + lineCount - 1, lineCount, static_cast<qsizetype>(longestLine))) {
        throw KxError(TextWindow::kOverCapacity.toStdString());
    }
    ReplaceProgress progress(window_.widget(), starts.size());
    replaceMatches(*memo.document(), text, starts, matchLength, replacement, progress);
    window_.markChanged();
    return {replacedCount(starts.size())};
}

}  // namespace korvex::search
