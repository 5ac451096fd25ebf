#include "display/pendingtext.h"

#include <algorithm>
#include <string_view>

#include "display/documenttext.h"

namespace korvex {

namespace {

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), static_cast<size_t>(bytes.size())}; }

}  // namespace

void PendingText::holdText(const QString& text, qsizetype from, qsizetype characters, Conversion convert) {
    clear();
    text_ = text;
    convert_ = std::move(convert);
    from_ = reserved_ = from;
    characters_ = characters;
}

void PendingText::holdBytes(const QByteArray& bytes, qsizetype from, qsizetype characters) {
    clear();
    bytes_ = bytes;
    from_ = reserved_ = from;
    characters_ = characters;
}

void PendingText::clear() {
    text_.clear();
    convert_ = {};
    bytes_.clear();
    from_ = reserved_ = 0;
    characters_ = 0;
}

void PendingText::takePiece(qsizetype size, QString& piece) {
    const Range range = reserve(size);
    write(range, piece);
    delivered(range, piece.size());
}

PendingText::Range PendingText::reserve(qsizetype size) {
    const qsizetype total = sourceSize();
    qsizetype end = total;
    if (!bytes_.isNull()) {
        // Two bytes on at least: past the break the piece starts with.
        const qsizetype from = size >= total - reserved_ ? total : reserved_ + std::max<qsizetype>(size, 2);
        end = static_cast<qsizetype>(lineBreakFrom(view(bytes_), static_cast<size_t>(from)));
    } else if (size < total - reserved_) {
        const qsizetype found = text_.indexOf(QChar::ParagraphSeparator, reserved_ + size);
        end = found < 0 ? total : found;
    }
    const Range range{reserved_, end};
    reserved_ = end;
    return range;
}

void PendingText::write(Range range, QString& piece) const {
    piece.resize(range.end - range.from);  // keeps its room: pieces one after the other need no new memory
    if (!bytes_.isNull()) {
        const FileTextShape shape = writeFileText(
            view(bytes_).substr(static_cast<size_t>(range.from), static_cast<size_t>(range.end - range.from)),
            reinterpret_cast<char16_t*>(piece.data()));
        piece.truncate(shape.characters);
    } else if (convert_) {
        convert_(text_, range.from, range.end, piece);
    } else {
        std::copy_n(text_.constData() + range.from, range.end - range.from, piece.data());
    }
}

QString PendingText::rest() const {
    if (isEmpty()) return {};
    if (convert_) {
        QString rest;
        convert_(text_, from_, text_.size(), rest);
        return rest;
    }
    if (bytes_.isNull()) return text_.sliced(from_);
    FileTextShape shape;
    return rawTextFromFileBytes(view(bytes_).substr(static_cast<size_t>(from_)), shape);
}

}  // namespace korvex
