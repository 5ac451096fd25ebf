#pragma once

#include <QString>
#include <string>
#include <string_view>

// The one way between the Windows-1252 bytes of files and Qt's text: every
// conversion of text, file shape and storable characters is here.
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

// What a file's text is as the raw text of a Qt document (U+2029 between
// blocks): its hard lines, the longest one's length and its characters
// (block separators included).
struct FileTextShape {
    size_t lines = 1;
    qsizetype longest = 0;
    qsizetype characters = 0;
};

// File bytes that hold no NUL (loading ends at the first) as that raw text:
// CR LF, a lone CR and a lone LF each break the line. The text itself, only
// its shape, or the text written to `out`, which has room for one character
// per byte.
QString rawTextFromFileBytes(std::string_view bytes, FileTextShape& shape);
FileTextShape measureFileText(std::string_view bytes);
FileTextShape writeFileText(std::string_view bytes, char16_t* out);
// Where the first line break at or after `from` starts in such bytes (their
// size if none): a CR just before `from` that starts a CR LF belongs to it.
size_t lineBreakFrom(std::string_view bytes, size_t from);

// Replaces every character the code page cannot hold by '?' and every NUL,
// at which loading stops, by a blank; line breaks stay, a line separator
// becoming a paragraph's end (the file holds one kind only). Returns true
// when something was replaced.
bool makeStorable(QString& text);
// How many characters of `text` makeStorable turns into '?' (a surrogate
// pair is one character), and what the user is told before they go in.
qsizetype unstorableCount(QStringView text);
QString unstorableWarning(qsizetype count);

}  // namespace korvex
