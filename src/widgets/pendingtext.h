#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace korvex {

// What of a text being loaded is still to come, handed out piece by piece:
// the rest of a raw text (blocks separated by U+2029), or the rest of a
// file's bytes. Bytes are converted only a piece at a time as they go in,
// so a big file never needs a whole converted copy besides the window's
// text, nor the pause of making one.
class PendingText {
public:
    // The rest of `text` from `from`, where a block separator stands.
    void holdText(const QString& text, qsizetype from);
    // The rest of a file's bytes from `from`, where a line break starts,
    // which make `characters` characters of raw text.
    void holdBytes(const QByteArray& bytes, qsizetype from, qsizetype characters);
    void clear();

    bool isEmpty() const { return characters_ == 0; }
    // Characters still to come, block separators included.
    qsizetype characters() const { return characters_; }
    // The next piece, written to `piece`: up to the first block end after
    // `size` characters (bytes) or the end. It starts with a block separator.
    void takePiece(qsizetype size, QString& piece);
    // All that is still to come, without taking it.
    QString rest() const;

private:
    QString text_;
    QByteArray bytes_;
    qsizetype from_ = 0;
    qsizetype characters_ = 0;
};

}  // namespace korvex
