#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <string>
#include <string_view>

#include "base/textforms.h"

namespace korvex {

// Windows-1252 bytes with CR LF line breaks to the text of a Qt document
// ('\n' between lines) and back. Every CR LF becomes one '\n'; a lone CR
// or LF is kept as a character.
QString documentTextFromBytes(std::string_view bytes);
// Block and line separators (and '\n') become CR LF; characters the code
// page cannot hold become '?'.
std::string bytesFromDocumentText(QStringView text);

// Plain conversion without line-break handling.
QString fromCp1252(std::string_view bytes);
std::string toCp1252(QStringView text);

// A file's bytes as the raw text of a Qt document (U+2029 between blocks):
// the text ends at the first NUL; CR LF, a lone CR and a lone LF each break
// the line. `lines` receives its number of hard lines.
QString rawTextFromFileBytes(std::string_view fileBytes, size_t& lines);

// Replaces every character the code page cannot hold by '?' and every NUL,
// at which loading stops, by a blank; line breaks stay. Returns true when
// something was replaced.
bool makeStorable(QString& text);

// Colours of the settings file to colours on screen; system colours take
// the platform's corresponding colours. "clNone" and "clDefault" have no
// colour of their own: they give an invalid colour here, and the colour of
// the role given in the second form, which is what a control shows by
// default there (the window's background, the text's colour), so text never
// falls on its own colour.
QColor toQColor(Colour colour);
QColor toQColor(Colour colour, QPalette::ColorRole ownRole);
Colour fromQColor(const QColor& colour);

}  // namespace korvex
