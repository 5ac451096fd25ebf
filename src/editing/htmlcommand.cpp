#include "editing/htmlcommand.h"

#include "app/textwindow.h"
#include "app/uKorvex21.h"

namespace korvex::editing {

namespace {

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

}  // namespace

void convertTextCommand(TForm1& form, HtmlConversion mode) {
    TextWindow& memo = *form.MemArbeitsfenster;
    memo.finishLoading();  // the whole text is converted, never the part in so far
    size_t lines = 0;
    const QString converted = convertRawText(memo.document()->toRawText(), mode, lines);
    // Replaced as a whole, so caret and selection start over; the change
    // signal brings the status labels up to date.
    memo.loadRawText(converted, lines);
    form.FocusTextWindow();
    // Counted as a change even when nothing needed converting.
    form.SavedFlag = false;
}

}  // namespace korvex::editing
