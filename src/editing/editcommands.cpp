#include "editing/editcommands.h"

#include <QScrollBar>
#include <QTextCursor>

#include "app/uKorvex21.h"
#include "document/headerfield.h"
#include "platform/platform.h"
#include "widgets/controls.h"
#include "widgets/qtconvert.h"
#include "widgets/textwindow.h"

namespace korvex::editing {
namespace {

// The clipboard carries '\n' between lines; the text window's bytes carry CR LF.
QString clipboardTextOf(const std::string& bytes) { return documentTextFromBytes(bytes); }

// Clipboard text as document bytes: any line break form becomes one break,
// and characters the code page lacks become '?'.
std::string bytesOfClipboardText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return bytesFromDocumentText(text);
}

// Without text on the clipboard the selection stays: there is nothing to put in its place.
void pasteClipboard(TForm1& form) {
    const QString text = form.platform().clipboardText();
    if (!text.isEmpty()) form.MemArbeitsfenster->replaceSelection(bytesOfClipboardText(text));
}

// The window's raw text converted without the way through bytes (see convertRawToHtml).
QString convertRawText(const QString& raw, HtmlConversion mode, size_t& lines) {
    const std::u16string_view in(reinterpret_cast<const char16_t*>(raw.constData()), static_cast<size_t>(raw.size()));
    // Umlauts and line breaks make German text grow by a few per cent.
    QString out(raw.size() + raw.size() / 8 + static_cast<qsizetype>(kRawHtmlSlack) + 64, Qt::Uninitialized);
    RawHtmlProgress progress;
    for (;;) {
        const std::span<char16_t> room(reinterpret_cast<char16_t*>(out.data()), static_cast<size_t>(out.size()));
        convertRawToHtml(in, mode, room, progress);
        if (progress.ended || progress.read == in.size()) break;
        out.resize(out.size() + out.size() / 2);
    }
    out.truncate(static_cast<qsizetype>(progress.written));
    lines = progress.breaks + 1;
    return out;
}

// The text window locked at the end of a typing test keeps its text: the
// commands that would change it do nothing then.
bool textLocked(const TForm1& form) { return form.MemArbeitsfenster->isReadOnly(); }

// For the commands that end in the text window: true when the lock stops
// them, after the focus went back there.
bool stoppedByLock(TForm1& form) {
    if (!textLocked(form)) return false;
    form.FocusTextWindow();
    return true;
}

}  // namespace

void cut(TForm1& form) {
    const std::string selected = form.MemArbeitsfenster->selectedBytes();
    // Nothing selected: nothing to cut, and the clipboard keeps what it holds.
    if (selected.empty() || textLocked(form)) return;
    form.platform().setClipboardText(clipboardTextOf(selected));
    form.MemArbeitsfenster->replaceSelection({});
    form.FocusTextWindow();
    form.markChanged();
}

void copy(TForm1& form) {
    const std::string selected = form.MemArbeitsfenster->selectedBytes();
    if (!selected.empty()) form.platform().setClipboardText(clipboardTextOf(selected));
    form.FocusTextWindow();
}

void paste(TForm1& form) {
    if (stoppedByLock(form)) return;
    pasteClipboard(form);
    form.FocusTextWindow();
    form.markChanged();
}

void selectAll(TForm1& form) { form.MemArbeitsfenster->selectAll(); }

void refreshDate(TForm1& form) { form.EdiDatum->setText(form.platform().todayShortDate()); }

// The date goes in through the clipboard, where it stays for further pasting.
void insertDate(TForm1& form) {
    if (stoppedByLock(form)) return;
    form.EdiDatum->selectAll();
    form.platform().setClipboardText(form.EdiDatum->selectedText());
    pasteClipboard(form);
    form.FocusTextWindow();
    form.markChanged();
}

void chooseFont(TForm1& form) {
    TextWindow& memo = *form.MemArbeitsfenster;
    const FontChoice preset{memo.font(), toQColor(memo.colours().text)};
    if (const auto choice = form.platform().askFont(&form, preset)) {
        const Colour colour = fromQColor(choice->colour);
        memo.setFont(choice->font);
        memo.setColours({memo.colours().background, colour});
        form.EdiKopfzeile->setFont(choice->font);
        form.EdiKopfzeile->setColours({form.EdiKopfzeile->colours().background, colour});
    }
    form.FocusTextWindow();
}

void applyPickedColour(TForm1& form) {
    const Colour colour = form.ColorBox1->selectedColour();
    form.MemArbeitsfenster->setColours({colour, form.MemArbeitsfenster->colours().text});
    form.WindowColor = colour;
    form.EdiKopfzeile->setColours({colour, form.EdiKopfzeile->colours().text});
    form.FocusTextWindow();
}

void toggleStayOnTop(TForm1& form) {
    const bool stayOnTop = form.PanTop->isRaised();
    form.PanTop->setRaised(!stayOnTop);
    // Changing the flag recreates the native window, which hides it and may
    // lose the text window's place; keep caret, selection, scrolling and focus.
    TextWindow& memo = *form.MemArbeitsfenster;
    const QTextCursor cursor = memo.textCursor();
    const int vertical = memo.verticalScrollBar()->value();
    const int horizontal = memo.horizontalScrollBar()->value();
    QWidget* focused = form.focusWidget();
    const bool wasVisible = form.isVisible();
    form.setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
    if (wasVisible) form.show();
    memo.setTextCursor(cursor);
    memo.verticalScrollBar()->setValue(vertical);
    memo.horizontalScrollBar()->setValue(horizontal);
    if (focused) focused->setFocus(Qt::OtherFocusReason);
}

void convertText(TForm1& form, HtmlConversion mode) {
    if (stoppedByLock(form)) return;
    TextWindow& memo = *form.MemArbeitsfenster;
    memo.finishLoading();  // the whole text is converted, never the part in so far
    size_t lines = 0;
    const QString converted = convertRawText(memo.document()->toRawText(), mode, lines);
    // Replaced as a whole, so caret and selection start over; the change
    // signal brings the status labels up to date.
    memo.loadRawText(converted, lines);
    form.FocusTextWindow();
    // Counted as a change even when nothing needed converting.
    form.markChanged();
}

}  // namespace korvex::editing
