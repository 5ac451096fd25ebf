#include "editing/editcommands.h"

#include <QScopeGuard>
#include <algorithm>

#include "base/anotherthread.h"
#include "display/documenttext.h"
#include "display/screencolours.h"
#include "display/textprimitives.h"
#include "platform/platform.h"

namespace korvex::editing {
namespace {

// The clipboard carries '\n' between lines; the text window's bytes carry CR LF.
QString clipboardTextOf(const std::string& bytes) { return documentTextFromBytes(bytes); }

// Clipboard text as document bytes: any line break window becomes one break,
// and characters the code page lacks become '?'.
std::string bytesOfClipboardText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return bytesFromDocumentText(text);
}

// Without text on the clipboard the selection stays: there is nothing to put in its place.
void pasteClipboard(MainWindow& window) {
    const QString text = window.platform().clipboardText();
    if (text.isEmpty()) return;
    window.textWindow().announceUnstorable(text);
    window.textWindow().replaceSelection(bytesOfClipboardText(text));
}

// Room for what `units` units convert to: a third more at once (umlauts and
// line breaks make German text grow by up to that). Room that stays
// unwritten costs no memory, a second round a copy of it all.
qsizetype roomFor(size_t units) {
    const size_t room = units + units / 2 + kRawHtmlSlack + 64;
    return static_cast<qsizetype>(room);
}

// Converts `raw` into `out` from `at` on; `out` is sized to fit, more when needed.
void convertInto(std::u16string_view raw, HtmlConversion mode, QString& out, qsizetype at) {
    out.resize(at + roomFor(raw.size()));
    RawHtmlProgress progress;
    progress.written = static_cast<size_t>(at);
    for (;;) {
        const std::span<char16_t> span(reinterpret_cast<char16_t*>(out.data()), static_cast<size_t>(out.size()));
        convertRawToHtml(raw, mode, span, progress);
        if (progress.ended || progress.read == raw.size()) break;
        out.resize(out.size() + out.size() / 2);
    }
    out.truncate(static_cast<qsizetype>(progress.written));
}

std::u16string_view units(QStringView text) {
    return {reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(text.size())};
}

// The piece of the converted text that the window's text makes from `from`
// to `end` (0, the end, or where a block separator stands): every break
// puts "<BR>" before its block separator, and the piece before it ends with
// that, so every piece but the first starts with the separator.
void convertPiece(QStringView text, qsizetype from, qsizetype end, HtmlConversion mode, QString& piece) {
    piece.resize(0);
    const qsizetype opening = from > 0 ? 1 : 0;
    if (opening) piece.append(QChar::ParagraphSeparator);
    convertInto(units(text.sliced(from + opening, end - from - opening)), mode, piece, opening);
    if (end < text.size()) {
        const std::u16string_view prefix = lineBreakPrefix(mode);
        piece.append(QStringView(prefix.data(), static_cast<qsizetype>(prefix.size())));
    }
}

// Bigger texts are measured in two halves, one on another core.
constexpr size_t kMeasureOnTwoCoresFrom = size_t{1} << 20;

// The shape of the window's text once converted (see convertRawToHtml).
FileTextShape convertedShape(QStringView text, HtmlConversion mode) {
    const std::u16string_view all = units(text);
    const size_t split = all.size() < kMeasureOnTwoCoresFrom ? std::u16string_view::npos
                                                             : all.find(u'\u2029', all.size() / 2);
    RawHtmlProgress measured;
    if (split == std::u16string_view::npos) {
        measured = measureRawToHtml(all, mode);
    } else {
        auto second = onAnotherThread([all, split, mode] { return measureRawToHtml(all.substr(split + 1), mode); });
        measured = measureRawToHtml(all.substr(0, split + 1), mode);
        measured = joined(measured, second.get());
    }
    FileTextShape shape;
    shape.lines = measured.breaks + 1;
    shape.longest = static_cast<qsizetype>(std::max(measured.longest, measured.written - measured.lineStart));
    shape.characters = static_cast<qsizetype>(measured.written);
    return shape;
}

// The text window locked at the end of a typing test keeps its text: the
// commands that would change it do nothing then.
bool textLocked(const MainWindow& window) { return window.textWindow().isLocked(); }

// For the commands that end in the text window: true when the lock stops
// them, after the focus went back there.
bool stoppedByLock(MainWindow& window) {
    if (!textLocked(window)) return false;
    window.focusTextWindow();
    return true;
}

}  // namespace

void cut(MainWindow& window) {
    const std::string selected = window.textWindow().selectedBytes();
    // Nothing selected: nothing to cut, and the clipboard keeps what it holds.
    if (selected.empty() || textLocked(window)) return;
    window.platform().setClipboardText(clipboardTextOf(selected));
    window.textWindow().replaceSelection({});
    window.focusTextWindow();
    window.markChanged();
}

void copy(MainWindow& window) {
    const std::string selected = window.textWindow().selectedBytes();
    if (!selected.empty()) window.platform().setClipboardText(clipboardTextOf(selected));
    window.focusTextWindow();
}

void paste(MainWindow& window) {
    if (stoppedByLock(window)) return;
    pasteClipboard(window);
    window.focusTextWindow();
    window.markChanged();
}

void selectAll(MainWindow& window) { window.textWindow().selectAllText(); }

void refreshDate(MainWindow& window) { window.showDate(window.platform().todayShortDate()); }

// The date goes in through the clipboard, where it stays for further pasting.
void insertDate(MainWindow& window) {
    if (stoppedByLock(window)) return;
    window.platform().setClipboardText(window.selectShownDate());
    pasteClipboard(window);
    window.focusTextWindow();
    window.markChanged();
}

void chooseFont(MainWindow& window) {
    const TextPrimitives& textWindow = window.textWindow();
    const FontChoice preset{textWindow.textFont(), toQColor(textWindow.colours().text)};
    if (const auto choice = window.platform().askFont(&window.dialogParent(), preset)) {
        // A colour left as shown keeps its name: "clWindowText" is no "clBlack".
        const Colour colour = choice->colour == preset.colour ? textWindow.colours().text : fromQColor(choice->colour);
        window.chooseTextFont(choice->font, colour);
    }
    window.focusTextWindow();
}

void applyPickedColour(MainWindow& window, Colour colour) {
    window.chooseWindowColour(colour);
    window.focusTextWindow();
}

void toggleStayOnTop(MainWindow& window) { window.stayOnTop(!window.staysOnTop()); }

void convertText(MainWindow& window, HtmlConversion mode) {
    if (stoppedByLock(window)) return;
    // Refused too, the focus goes back: left on the button, the next key would press it again.
    const auto focusBack = qScopeGuard([&window] { window.focusTextWindow(); });
    TextPrimitives& textWindow = window.textWindow();
    textWindow.finishLoading();  // the whole text is converted, never the part in so far
    QString text = textWindow.rawText();
    const qsizetype nul = text.indexOf(QChar::Null);
    if (nul >= 0) text.truncate(nul);  // as a saved text ends there
    // Replaced as a whole, so caret and selection start over; the change
    // signal brings the status labels up to date. A big text is converted
    // piece by piece as it goes in.
    textWindow.loadRawText(text, convertedShape(text, mode),
                           [mode](QStringView whole, qsizetype from, qsizetype end, QString& piece) {
                               convertPiece(whole, from, end, mode, piece);
                           });
    // Counted as a change even when nothing needed converting.
    window.markChanged();
}

}  // namespace korvex::editing
