#include "search/textsearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTextCursor>
#include <QTextDocument>
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

QString replacedCount(size_t count) {
    return count == 1 ? QStringLiteral("1 Stelle ersetzt.") : QStringLiteral("%1 Stellen ersetzt.").arg(count);
}

// Replacements go in in rounds of this many, the window painting between them.
constexpr size_t kRound = 20'000;
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
            dialog_->setAccessibleName(QStringLiteral("Fortschritt beim Ersetzen"));
            dialog_->setWindowModality(Qt::ApplicationModal);
            dialog_->setMinimumDuration(0);
            dialog_->show();
        }
        if (dialog_) {
            dialog_->setLabelText(QStringLiteral("%1 von %2 Stellen ersetzt ...").arg(done).arg(total_));
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
void replaceMatches(QTextDocument& document, const std::vector<size_t>& starts, int matchLength,
                    const QString& replacement, ReplaceProgress& progress) {
    QTextCursor cursor(&document);
    const qsizetype growth = replacement.size() - matchLength;
    qsizetype shift = 0;
    for (size_t done = 0; done < starts.size();) {
        if (done == 0) {
            cursor.beginEditBlock();
        } else {
            cursor.joinPreviousEditBlock();
        }
        for (const size_t end = std::min(starts.size(), done + kRound); done < end; ++done) {
            const int at = static_cast<int>(static_cast<qsizetype>(starts[done]) + shift);
            cursor.setPosition(at);
            cursor.setPosition(at + matchLength, QTextCursor::KeepAnchor);
            cursor.insertText(replacement);
            shift += growth;
        }
        cursor.endEditBlock();
        if (done < starts.size()) progress.reached(done);
    }
}

}  // namespace

TextSearch::TextSearch(MainWindowIntentions& window) : window_(window) {
    connect(window.textWindow().document(), &QTextDocument::contentsChange, this, [this] { textCurrent_ = false; });
}

const QString& TextSearch::searchedText() {
    if (!textCurrent_) {
        text_ = window_.textWindow().document()->toRawText();
        textCurrent_ = true;
    }
    return text_;
}

// Searches what the window holds; a text still loading is searched as far
// as it is in, then brought in whole when the match may lie in the rest.
std::optional<Match> TextSearch::find(const Matcher& matcher, bool upwards, size_t from) {
    const std::u16string_view inSoFar = units(searchedText());
    if (auto match = upwards ? matcher.findBackward(inSoFar, from) : matcher.findForward(inSoFar, from)) return match;
    TextWindow& memo = window_.textWindow();
    if (upwards || !memo.isLoading()) return std::nullopt;
    memo.finishLoading();
    return matcher.findForward(units(searchedText()), from);
}

Outcome TextSearch::findNext(const SearchRequest& request) {
    const Matcher matcher(units(request.pattern), request.rules);
    const QTextCursor selection = window_.textWindow().textCursor();
    const bool upwards = request.upwards;
    const auto from = static_cast<size_t>(upwards ? selection.selectionStart() : selection.selectionEnd());
    if (auto match = find(matcher, upwards, from)) {
        select(*match, upwards);
        return {};
    }
    // Once round from the other end, with the whole text in.
    window_.textWindow().finishLoading();
    const std::u16string_view text = units(searchedText());
    const auto match = upwards ? matcher.findBackward(text, text.size()) : matcher.findForward(text, 0);
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
    window_.StatusUpdate();
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
    const auto start = static_cast<size_t>(selection.selectionStart());
    const auto length = static_cast<size_t>(selection.selectionEnd() - selection.selectionStart());
    if (matcher.isMatchAt(units(searchedText()), start, length)) {
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
    const std::u16string_view text = units(searchedText());
    const std::vector<size_t> starts = matcher.findAll(text);
    if (starts.empty()) return notFound(request.pattern);
    const auto matchLength = static_cast<size_t>(request.pattern.size());
    const ReplacedShape shape = shapeAfterReplacing(text, starts, matchLength, static_cast<size_t>(replacement.size()));
    const size_t storedBytes = shape.characters + shape.lines - 1;
    if (!TextWindow::withinBounds(storedBytes, shape.lines, static_cast<qsizetype>(shape.longestLine))) {
        throw KxError(TextWindow::kOverCapacity.toStdString());
    }
    ReplaceProgress progress(window_.widget(), starts.size());
    replaceMatches(*memo.document(), starts, static_cast<int>(matchLength), replacement, progress);
    window_.markChanged();
    return {replacedCount(starts.size())};
}

}  // namespace korvex::search
