#include "display/boundedtextedit.h"

#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

namespace korvex {

namespace {

// The hard lines of a text about to go in, as Qt's insertion breaks it (at
// LF, CR, CR LF and U+2029): the first and the last, which join the lines
// around the caret, the longest of those between, and the bytes they take
// stored (every break two).
struct InsertedShape {
    qsizetype breaks = 0;
    qsizetype firstLine = 0;
    qsizetype lastLine = 0;
    qsizetype longestBetween = 0;
    qsizetype storedBytes = 0;
};

InsertedShape shapeOfInserted(QStringView text) {
    InsertedShape shape;
    qsizetype lineStart = 0;
    qsizetype breakUnits = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\n' && c != u'\r' && c != QChar::ParagraphSeparator) continue;
        const qsizetype line = i - lineStart;
        if (shape.breaks == 0) {
            shape.firstLine = line;
        } else {
            shape.longestBetween = std::max(shape.longestBetween, line);
        }
        ++shape.breaks;
        ++breakUnits;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
            ++breakUnits;
        }
        lineStart = i + 1;
    }
    (shape.breaks == 0 ? shape.firstLine : shape.lastLine) = text.size() - lineStart;
    shape.storedBytes = text.size() - breakUnits + 2 * shape.breaks;
    return shape;
}

}  // namespace

const QString BoundedTextEdit::kOverCapacity = QStringLiteral("Text überschreitet Memo-Kapazität");

bool BoundedTextEdit::fitsAt(const QTextCursor& at, QStringView text) {
    if (text.isEmpty()) return true;  // taking text out is always allowed
    const QTextDocument& document = *at.document();
    const InsertedShape inserted = shapeOfInserted(text);
    const QTextBlock first = document.findBlock(at.selectionStart());
    const QTextBlock last = document.findBlock(at.selectionEnd());
    const qsizetype before = at.selectionStart() - first.position();
    const qsizetype after = last.position() + last.length() - 1 - at.selectionEnd();
    const qsizetype longest = inserted.breaks == 0 ? before + inserted.firstLine + after
                                                   : std::max({before + inserted.firstLine, inserted.longestBetween,
                                                               inserted.lastLine + after});
    const qsizetype selectedBreaks = last.blockNumber() - first.blockNumber();
    const qsizetype lines = document.blockCount() - selectedBreaks + inserted.breaks;
    // Stored, every block break takes two bytes; the last block's end is none.
    const qsizetype selectedBytes = at.selectionEnd() - at.selectionStart() + selectedBreaks;
    const qsizetype storedBytes = (document.characterCount() - 1) + (document.blockCount() - 1) - selectedBytes +
                                  inserted.storedBytes;
    return withinBounds(static_cast<size_t>(storedBytes), static_cast<size_t>(lines), longest);
}

void BoundedTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    QString text = source->text();
    prepareInserted(text);
    if (!droppingOwnText_ && !fitsAt(textCursor(), text)) {
        emit refused(kOverCapacity);
        return;
    }
    QMimeData prepared;
    prepared.setText(text);
    QPlainTextEdit::insertFromMimeData(&prepared);
}

void BoundedTextEdit::dropEvent(QDropEvent* event) {
    droppingOwnText_ = event->source() == this;
    const auto reset = qScopeGuard([this] { droppingOwnText_ = false; });
    QPlainTextEdit::dropEvent(event);
}

}  // namespace korvex
