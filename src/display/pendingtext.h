#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>

namespace korvex {

// What of a text being loaded is still to come, handed out piece by piece:
// the rest of a raw text (blocks separated by U+2029), or the rest of a
// file's bytes. Bytes are converted only a piece at a time as they go in,
// so a big file never needs a whole converted copy besides the window's
// text, nor the pause of making one.
class PendingText {
public:
    // Writes the piece of `text` from `from` to `end` (0, the text's end, or
    // where a block separator stands) as it goes in; on any thread.
    using Conversion = std::function<void(QStringView text, qsizetype from, qsizetype end, QString& piece)>;
    // The rest of `text` from `from`, where a block separator stands, which
    // makes `characters` characters: as it is, or converted piece by piece.
    void holdText(const QString& text, qsizetype from, qsizetype characters, Conversion convert = {});
    // The rest of a file's bytes from `from`, where a line break starts,
    // which make `characters` characters of raw text.
    void holdBytes(const QByteArray& bytes, qsizetype from, qsizetype characters);
    void clear();

    // True when every piece is handed over.
    bool isEmpty() const { return from_ == sourceSize(); }
    // Characters still to come, block separators included, pieces on their way too.
    qsizetype characters() const { return characters_; }
    // The next piece, written to `piece`: up to the first block end after
    // `size` characters (bytes) or the end. It starts with a block separator.
    void takePiece(qsizetype size, QString& piece);

    // The same in three steps, so that another thread can write a piece
    // while this one goes on: the next piece's place, taken in turn ...
    struct Range {
        qsizetype from = 0;
        qsizetype end = 0;
    };
    Range reserve(qsizetype size);
    bool allReserved() const { return reserved_ == sourceSize(); }
    // ... the piece written, on any thread (a copy of this object reads the
    // same characters, which nothing changes) ...
    void write(Range range, QString& piece) const;
    // ... and the piece handed over, in the order the places were taken.
    void delivered(Range range, qsizetype characters) {
        from_ = range.end;
        characters_ -= characters;
    }

    // All that is still to come, without taking it.
    QString rest() const;

private:
    qsizetype sourceSize() const { return bytes_.isNull() ? text_.size() : bytes_.size(); }

    QString text_;
    Conversion convert_;
    QByteArray bytes_;
    qsizetype from_ = 0;      // where the first piece not yet handed over starts
    qsizetype reserved_ = 0;  // where the next piece to be reserved starts
    qsizetype characters_ = 0;
};

}  // namespace korvex
