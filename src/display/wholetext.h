#pragma once

#include <QString>

class QTextDocument;

namespace korvex {

// The document's raw text (U+2029 between blocks), as QTextDocument::toRawText
// gives it, with room for `more` characters after it. A copy of a big text
// costs mostly the system handing out fresh memory: its pages are backed on
// another core ahead of the copy.
QString wholeText(const QTextDocument& document, qsizetype more = 0);

}  // namespace korvex
