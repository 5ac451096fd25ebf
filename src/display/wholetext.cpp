#include "display/wholetext.h"

#include <private/qtextdocument_p.h>
#include <QTextDocument>
#include <algorithm>
#include <optional>

#include "platform/pagesahead.h"

namespace korvex {

namespace {

// Below this, the pages are taken faster than another thread is started.
constexpr qsizetype kBackedAheadFrom = qsizetype{1} << 20;

}  // namespace

QString wholeText(const QTextDocument& document, qsizetype more) {
    const QTextDocumentPrivate& pieces = *QTextDocumentPrivate::get(&document);
    const qsizetype length = std::max(pieces.length() - 1, 0);  // the last block's end is none of the text's
    QString text;
    text.reserve(length + more);
    std::optional<PagesBackedAhead> backed;
    if (length >= kBackedAheadFrom) {
        const qsizetype firstPart = length / 4;  // written while the rest is backed
        backed.emplace(text.constData() + firstPart, static_cast<size_t>(length - firstPart) * sizeof(QChar));
    }
    const QString buffer = pieces.buffer();  // shared, not copied
    for (auto fragment = pieces.begin(); fragment != pieces.end() && text.size() < length; ++fragment) {
        const qsizetype size = std::min<qsizetype>(fragment->size_array[0], length - text.size());
        text.append(buffer.constData() + fragment->stringPosition, size);
    }
    return text;
}

}  // namespace korvex
