#include "editing/editcommands.h"

#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

#include "base/anotherthread.h"
#include "document/headerfield.h"
#include "platform/platform.h"
#include "widgets/controls.h"
#include "widgets/qtconvert.h"
#include "widgets/textwindow.h"

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
    if (!text.isEmpty()) window.textWindow().replaceSelection(bytesOfClipboardText(text));
}

// Room for what `units` units convert to: a third more at once (umlauts and
// line breaks make German text grow by up to that). Room that stays
// unwritten costs no memory, a second round a copy of it all.
qsizetype roomFor(size_t units) {
    const size_t room = units + units / 2 + kRawHtmlSlack + 64;
    return static_cast<qsizetype>(room);
}

// Converts `raw` into `out`, which it sizes, more when needed.
RawHtmlProgress convertInto(std::u16string_view raw, HtmlConversion mode, QString& out) {
    const qsizetype room = roomFor(raw.size());
    if (out.capacity() < room) out = QString(room, Qt::Uninitialized);
    out.resize(room);
    RawHtmlProgress progress;
    for (;;) {
        const std::span<char16_t> span(reinterpret_cast<char16_t*>(out.data()), static_cast<size_t>(out.size()));
        convertRawToHtml(raw, mode, span, progress);
        if (progress.ended || progress.read == raw.size()) break;
        out.resize(out.size() + out.size() / 2);
    }
    out.truncate(static_cast<qsizetype>(progress.written));
    return progress;
}

// From this many units on, a second core converts the second half.
constexpr size_t kConvertInTwoFrom = size_t{256} * 1024;

// Where the second half of a raw text starts: after the block separator
// nearest behind its middle (the end when there is none).
size_t secondHalf(std::u16string_view raw) {
    const size_t separator = raw.find(u'\u2029', raw.size() / 2);
    return separator == std::u16string_view::npos ? raw.size() : separator + 1;
}

// The window's raw text converted without the way through bytes (see convertRawToHtml), and its shape.
QString convertRawText(const QString& raw, HtmlConversion mode, FileTextShape& shape) {
    const std::u16string_view in(reinterpret_cast<const char16_t*>(raw.constData()), static_cast<size_t>(raw.size()));
    const size_t split = in.size() >= kConvertInTwoFrom ? secondHalf(in) : in.size();
    QString out;
    QString second;
    std::future<RawHtmlProgress> secondDone;
    if (split < in.size()) {  // the halves start lines of their own, so each converts alone
        secondDone = onAnotherThread([&] { return convertInto(in.substr(split), mode, second); });
        // The first half's output leaves room for the second's.
        out.reserve(roomFor(in.size()));
    }
    RawHtmlProgress progress = convertInto(in.substr(0, split), mode, out);
    size_t longest = std::max(progress.longest, progress.written - progress.lineStart);
    if (secondDone.valid()) {
        const RawHtmlProgress rest = secondDone.get();
        if (!progress.ended) {  // a NUL ends the text, and the conversion with it
            out.append(second);
            progress.breaks += rest.breaks;
            longest = std::max({longest, rest.longest, rest.written - rest.lineStart});
        }
    }
    shape.lines = progress.breaks + 1;
    shape.longest = static_cast<qsizetype>(longest);
    shape.characters = out.size();
    return out;
}

// The text window locked at the end of a typing test keeps its text: the
// commands that would change it do nothing then.
bool textLocked(const MainWindow& window) { return window.textWindow().isReadOnly(); }

// For the commands that end in the text window: true when the lock stops
// them, after the focus went back there.
bool stoppedByLock(MainWindow& window) {
    if (!textLocked(window)) return false;
    window.FocusTextWindow();
    return true;
}

}  // namespace

void cut(MainWindow& window) {
    const std::string selected = window.textWindow().selectedBytes();
    // Nothing selected: nothing to cut, and the clipboard keeps what it holds.
    if (selected.empty() || textLocked(window)) return;
    window.platform().setClipboardText(clipboardTextOf(selected));
    window.textWindow().replaceSelection({});
    window.FocusTextWindow();
    window.markChanged();
}

void copy(MainWindow& window) {
    const std::string selected = window.textWindow().selectedBytes();
    if (!selected.empty()) window.platform().setClipboardText(clipboardTextOf(selected));
    window.FocusTextWindow();
}

void paste(MainWindow& window) {
    if (stoppedByLock(window)) return;
    pasteClipboard(window);
    window.FocusTextWindow();
    window.markChanged();
}

void selectAll(MainWindow& window) { window.textWindow().selectAll(); }

void refreshDate(MainWindow& window) { window.dateField().setText(window.platform().todayShortDate()); }

// The date goes in through the clipboard, where it stays for further pasting.
void insertDate(MainWindow& window) {
    if (stoppedByLock(window)) return;
    window.dateField().selectAll();
    window.platform().setClipboardText(window.dateField().selectedText());
    pasteClipboard(window);
    window.FocusTextWindow();
    window.markChanged();
}

void chooseFont(MainWindow& window) {
    TextWindow& memo = window.textWindow();
    HeaderField& header = window.headerField();
    const FontChoice preset{memo.font(), toQColor(memo.colours().text)};
    if (const auto choice = window.platform().askFont(&window.widget(), preset)) {
        const Colour colour = fromQColor(choice->colour);
        memo.setFont(choice->font);
        memo.setColours({memo.colours().background, colour});
        header.setFont(choice->font);
        header.setColours({header.colours().background, colour});
    }
    window.FocusTextWindow();
}

void applyPickedColour(MainWindow& window) {
    const Colour colour = window.colourPicker().selectedColour();
    TextWindow& memo = window.textWindow();
    HeaderField& header = window.headerField();
    memo.setColours({colour, memo.colours().text});
    window.windowColour() = colour;
    header.setColours({colour, header.colours().text});
    window.FocusTextWindow();
}

void toggleStayOnTop(MainWindow& window) {
    const bool stayOnTop = window.stayOnTopPanel().isRaised();
    window.stayOnTopPanel().setRaised(!stayOnTop);
    // Changing the flag recreates the native window, which hides it and may
    // lose the text window's place; keep caret, selection, scrolling and focus.
    TextWindow& memo = window.textWindow();
    const QTextCursor cursor = memo.textCursor();
    const int vertical = memo.verticalScrollBar()->value();
    const int horizontal = memo.horizontalScrollBar()->value();
    QWidget& mainWidget = window.widget();
    QWidget* focused = mainWidget.focusWidget();
    const bool wasVisible = mainWidget.isVisible();
    mainWidget.setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
    if (wasVisible) mainWidget.show();
    memo.setTextCursor(cursor);
    memo.verticalScrollBar()->setValue(vertical);
    memo.horizontalScrollBar()->setValue(horizontal);
    if (focused) focused->setFocus(Qt::OtherFocusReason);
}

void convertText(MainWindow& window, HtmlConversion mode) {
    if (stoppedByLock(window)) return;
    TextWindow& memo = window.textWindow();
    memo.finishLoading();  // the whole text is converted, never the part in so far
    FileTextShape shape;
    const QString converted = convertRawText(memo.document()->toRawText(), mode, shape);
    // Replaced as a whole, so caret and selection start over; the change
    // signal brings the status labels up to date.
    memo.loadRawText(converted, shape);
    window.FocusTextWindow();
    // Counted as a change even when nothing needed converting.
    window.markChanged();
}

}  // namespace korvex::editing
