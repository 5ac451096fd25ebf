#include "widgets/pendingtext.h"

#include <algorithm>
#include <string_view>

#include "widgets/qtconvert.h"

namespace korvex {

namespace {

std::string_view view(const QByteArray& bytes) { return {bytes.constData(), static_cast<size_t>(bytes.size())}; }

}  // namespace

void PendingText::holdText(const QString& text, qsizetype from) {
    clear();
    text_ = text;
    from_ = from;
    characters_ = text.size() - from;
}

void PendingText::holdBytes(const QByteArray& bytes, qsizetype from, qsizetype characters) {
    clear();
    bytes_ = bytes;
    from_ = from;
    characters_ = characters;
}

void PendingText::clear() {
    text_.clear();
    bytes_.clear();
    from_ = 0;
    characters_ = 0;
}

void PendingText::takePiece(qsizetype size, QString& piece) {
    piece.resize(0);  // keeps its room: pieces one after the other need no new memory
    if (isEmpty()) return;
    if (!bytes_.isNull()) {
        // Two bytes on at least: past the break the piece starts with.
        const qsizetype from = size >= bytes_.size() - from_ ? bytes_.size() : from_ + std::max<qsizetype>(size, 2);
        const auto end = static_cast<qsizetype>(lineBreakFrom(view(bytes_), static_cast<size_t>(from)));
        piece.resize(end - from_);
        const FileTextShape shape = writeFileText(
            view(bytes_).substr(static_cast<size_t>(from_), static_cast<size_t>(end - from_)),
            reinterpret_cast<char16_t*>(piece.data()));
        piece.truncate(shape.characters);
        from_ = end;
    } else {
        const qsizetype found = size >= text_.size() - from_ ? -1
                                                             : text_.indexOf(QChar::ParagraphSeparator, from_ + size);
        const qsizetype end = found < 0 ? text_.size() : found;
        piece.resize(end - from_);
        std::copy_n(text_.constData() + from_, end - from_, piece.data());
        from_ = end;
    }
    characters_ -= piece.size();
}

QString PendingText::rest() const {
    if (isEmpty()) return {};
    if (bytes_.isNull()) return text_.sliced(from_);
    FileTextShape shape;
    return rawTextFromFileBytes(view(bytes_).substr(static_cast<size_t>(from_)), shape);
}

}  // namespace korvex
