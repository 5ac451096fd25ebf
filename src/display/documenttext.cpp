#include "display/documenttext.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "base/cp1252.h"

namespace korvex {
namespace {

bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2029 || c == 0x2028; }

// What becomes of the line breaks of the bytes.
enum class BytesBreak {
    Kept,          // CR and LF are characters like any other
    CrLfToNewline  // CR LF becomes '\n', a lone CR or LF stays a character
};

// Windows-1252 bytes to UTF-16; `breaks` counts the breaks
// made. The mode is fixed at compile time: loading a big file runs this loop.
template <BytesBreak mode>
QString decode(std::string_view bytes, size_t& breaks) {
    const std::array<char16_t, 256>& unicode = cp1252::unicodeTable();
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    auto* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const size_t size = bytes.size();
    for (size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (mode != BytesBreak::Kept && (b == '\r' || b == '\n')) {
            const bool crLf = b == '\r' && i + 1 < size && bytes[i + 1] == '\n';
            if (crLf) {
                *out++ = u'\n';
                ++breaks;
                i += crLf ? 1 : 0;
                continue;
            }
        }
        *out++ = unicode[b];
    }
    text.truncate(out - begin);
    return text;
}

constexpr uint64_t kOnes = 0x0101'0101'0101'0101;
constexpr uint64_t kHigh = 0x8080'8080'8080'8080;

// The usual zero-byte test: a high bit in the result for a zero byte.
uint64_t zeroBytes(uint64_t v) { return (v - kOnes) & ~v & kHigh; }

// True when none of the 8 bytes is CR or LF.
bool noBreakIn(uint64_t eight) { return (zeroBytes(eight ^ (kOnes * '\r')) | zeroBytes(eight ^ (kOnes * '\n'))) == 0; }

// True when none of the 8 bytes lies in 0x80-0x9F, the only ones the code
// page does not map to the Unicode character of the same number.
bool latin1Only(uint64_t eight) { return zeroBytes((eight & (kOnes * 0xE0)) ^ kHigh) == 0; }

// A file's bytes to a document's raw text: CR LF, a lone
// CR and a lone LF each become a block separator. The walk tells its shape.
FileTextShape walkFileText(std::string_view bytes, char16_t* out) {
    const std::array<char16_t, 256>& unicode = cp1252::unicodeTable();
    FileTextShape shape;
    qsizetype n = 0;  // characters so far
    qsizetype lineStart = 0;
    const size_t size = bytes.size();
    for (size_t i = 0; i < size;) {
        // Most of a text comes eight bytes at a time: widened as they are, or through the table.
        uint64_t word = 0;
        if (i + 8 <= size) std::memcpy(&word, bytes.data() + i, sizeof word);
        if (i + 8 <= size && noBreakIn(word)) {
            std::array<unsigned char, 8> eight{};  // a copy of its own: the stores below cannot touch it
            std::memcpy(eight.data(), &word, eight.size());
            if (latin1Only(word)) {
                for (size_t k = 0; k < eight.size(); ++k) out[n + k] = eight[k];
            } else {
                for (size_t k = 0; k < eight.size(); ++k) out[n + k] = unicode[eight[k]];
            }
            n += 8;
            i += 8;
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[i++]);
        if (b == '\r' || b == '\n') {
            shape.longest = std::max(shape.longest, n - lineStart);
            out[n] = QChar::ParagraphSeparator;
            lineStart = ++n;
            ++shape.lines;
            if (b == '\r' && i < size && bytes[i] == '\n') ++i;
        } else {
            out[n] = unicode[b];
            ++n;
        }
    }
    shape.longest = std::max(shape.longest, n - lineStart);
    shape.characters = n;
    return shape;
}

// The next CR or LF at or after `from` (`end` if none). Two memchr searches
// run ahead of each other: each looks past the other's find only when needed.
class BreakFinder {
public:
    explicit BreakFinder(const char* end) : end_(end) {}
    const char* next(const char* from) {
        if (!cr_ || cr_ < from) cr_ = find(from, '\r');
        if (!lf_ || lf_ < from) lf_ = find(from, '\n');
        return std::min(cr_, lf_);
    }

private:
    const char* find(const char* from, char c) const {
        const void* found = std::memchr(from, c, static_cast<size_t>(end_ - from));
        return found ? static_cast<const char*>(found) : end_;
    }
    const char* end_;
    const char* cr_ = nullptr;
    const char* lf_ = nullptr;
};

// UTF-16 to Windows-1252 bytes, sized exactly before it is written.
template <bool breaksToCrLf>
std::string encode(QStringView text) {
    const auto* const chars = reinterpret_cast<const char16_t*>(text.data());
    const auto size = static_cast<size_t>(text.size());
    const auto isBreak = [](char16_t u) { return breaksToCrLf && (u == u'\n' || u == 0x2029 || u == 0x2028); };
    const auto breaks = static_cast<size_t>(std::count_if(chars, chars + size, isBreak));
    std::string bytes(size + breaks, '\0');
    char* out = bytes.data();
    for (size_t i = 0; i < size; ++i) {
        const char16_t u = chars[i];
        if (isBreak(u)) {
            *out++ = '\r';
            *out++ = '\n';
        } else if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            *out++ = static_cast<char>(u);  // the code page's ASCII and Latin-1 halves
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(chars[i + 1])) {
            *out++ = '?';  // one character, one '?', as where text enters the window
            ++i;
        } else {
            *out++ = static_cast<char>(cp1252::fromUnicode(u));
        }
    }
    bytes.resize(static_cast<size_t>(out - bytes.data()));
    return bytes;
}

}  // namespace

QString fromCp1252(std::string_view bytes) {
    size_t breaks = 0;
    return decode<BytesBreak::Kept>(bytes, breaks);
}

std::string toCp1252(QStringView text) { return encode<false>(text); }

QString documentTextFromBytes(std::string_view bytes) {
    size_t breaks = 0;
    return decode<BytesBreak::CrLfToNewline>(bytes, breaks);
}

FileTextShape measureFileText(std::string_view bytes) {
    // Only the breaks matter: memchr finds them far faster than a walk over every byte.
    FileTextShape shape;
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    BreakFinder breaks(end);
    qsizetype crLfs = 0;
    for (const char* lineStart = begin;;) {
        const char* const lineEnd = breaks.next(lineStart);
        shape.longest = std::max<qsizetype>(shape.longest, lineEnd - lineStart);
        if (lineEnd == end) break;
        ++shape.lines;
        const bool crLf = *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n';
        crLfs += crLf ? 1 : 0;
        lineStart = lineEnd + (crLf ? 2 : 1);
    }
    shape.characters = static_cast<qsizetype>(bytes.size()) - crLfs;
    return shape;
}

FileTextShape writeFileText(std::string_view bytes, char16_t* out) { return walkFileText(bytes, out); }

size_t lineBreakFrom(std::string_view bytes, size_t from) {
    if (from >= bytes.size()) return bytes.size();
    if (from > 0 && bytes[from - 1] == '\r' && bytes[from] == '\n') return from - 1;
    return std::min(bytes.find_first_of("\r\n", from), bytes.size());
}

QString rawTextFromFileBytes(std::string_view bytes, FileTextShape& shape) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    shape = writeFileText(bytes, reinterpret_cast<char16_t*>(text.data()));
    text.truncate(shape.characters);
    return text;
}

std::string bytesFromDocumentText(QStringView text) { return encode<true>(text); }

bool makeStorable(QString& text) {
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QChar::LineSeparator) {
            text[i] = QChar::ParagraphSeparator;  // stored as a line break, so one in the window too
            changed = true;
        } else if (isLineBreak(c.unicode())) {
            continue;
        } else if (c.isNull()) {
            text[i] = QLatin1Char(' ');  // a NUL would end the text when the file is read again
            changed = true;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            text.replace(i, 2, QLatin1Char('?'));  // one character, one '?'
            changed = true;
        } else if (!cp1252::canEncode(c.unicode())) {
            text[i] = QLatin1Char('?');
            changed = true;
        }
    }
    return changed;
}

qsizetype unstorableCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isLineBreak(c.unicode()) || c.isNull()) continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        if (!cp1252::canEncode(c.unicode())) ++count;
    }
    return count;
}

QString unstorableWarning(qsizetype count) {
    if (count == 1) {
        return QStringLiteral("1 Zeichen kann in Windows-1252 nicht gespeichert werden und wird als „?“ eingefügt.");
    }
    return QStringLiteral("%1 Zeichen können in Windows-1252 nicht gespeichert werden und werden als „?“ eingefügt.")
        .arg(count);
}

}  // namespace korvex
