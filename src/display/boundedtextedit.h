#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include "platform/platform.h"

class QTextCursor;

namespace korvex {

// A plain-text editor that takes no pasted or dropped text that would leave
// it holding more than the text window loads: Qt lays a line of millions of
// characters out for minutes, and a file holding more could not be opened
// again. Text dragged within the editor always lands: it has left its place
// already.
class BoundedTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    // Above this many bytes, or this many hard lines, a text loaded, pasted or
    // dropped is refused with "Text überschreitet Memo-Kapazität" (and the
    // window keeps what it held): the window's document takes seconds per
    // million lines, so a file of millions of empty lines would freeze it.
    static constexpr size_t kCapacity = kLargestReadableFile;
    static constexpr size_t kMaxLines = 4'000'000;
    // Qt lays a hard line out whole on every key in it (a word longer than a
    // display line costs it time by the square of its length), and gives up
    // on one of tens of millions of characters: longer lines are refused too.
    static constexpr qsizetype kMaxLineLength = qsizetype{64} * 1024;
    static const QString kOverCapacity;

    using QPlainTextEdit::QPlainTextEdit;

    // Whether a text of so many bytes stored (every line break two), hard
    // lines and characters in its longest line is within the bounds above.
    static bool withinBounds(size_t storedBytes, size_t lines, qsizetype longestLine) {
        return storedBytes <= kCapacity && lines <= kMaxLines && longestLine <= kMaxLineLength;
    }
    // Whether `text` in place of the selection of `at` (at it, when nothing
    // is selected) leaves its document within the bounds above.
    static bool fitsAt(const QTextCursor& at, QStringView text);

    // The way in for pasted and dropped data (keyboard, context menu, drag and drop).
    void insertFromMimeData(const QMimeData* source) override;

signals:
    // Pasted or dropped text was refused, as `message` says.
    void refused(const QString& message);

protected:
    void dropEvent(QDropEvent* event) override;
    // Makes pasted or dropped text what the editor holds; it stays as it is here.
    virtual void prepareInserted(QString& text) { Q_UNUSED(text); }

private:
    bool droppingOwnText_ = false;
};

}  // namespace korvex
