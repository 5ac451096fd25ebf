#include "widgets/qtconvert.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <array>

#include "base/cp1252.h"

namespace korvex {
namespace {

bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2029 || c == 0x2028; }

QPalette::ColorRole roleOfSystemColour(int index) {
    switch (index) {
        case 2:
        case 13:
        case 27: return QPalette::Highlight;
        case 3:
        case 12:
        case 16:
        case 28: return QPalette::Mid;
        case 5: return QPalette::Base;
        case 6:
        case 21: return QPalette::Shadow;
        case 7:
        case 18: return QPalette::ButtonText;
        case 8: return QPalette::Text;
        case 9:
        case 14: return QPalette::HighlightedText;
        case 17:
        case 19: return QPalette::PlaceholderText;
        case 20: return QPalette::Light;
        case 22: return QPalette::Midlight;
        case 23: return QPalette::ToolTipText;
        case 24: return QPalette::ToolTipBase;
        case 1: return QPalette::Dark;
        case 0:
        case 15: return QPalette::Button;
        default: return QPalette::Window;  // menu and borders
    }
}

// What becomes of the line breaks of the bytes.
enum class BytesBreak {
    Kept,                // CR and LF are characters like any other
    CrLfToNewline,       // CR LF becomes '\n', a lone CR or LF stays a character
    AnyToBlockSeparator  // CR LF, a lone CR and a lone LF each become U+2029
};

// The one way from Windows-1252 bytes to UTF-16; `breaks` counts the breaks
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
            if (mode == BytesBreak::AnyToBlockSeparator || crLf) {
                *out++ = mode == BytesBreak::AnyToBlockSeparator ? char16_t{QChar::ParagraphSeparator} : u'\n';
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

// The one way from UTF-16 to Windows-1252 bytes, sized exactly before it is written.
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
        } else {
            *out++ = static_cast<char>(cp1252::fromUnicode(u));
        }
    }
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

QString rawTextFromFileBytes(std::string_view fileBytes, size_t& lines) {
    size_t breaks = 0;
    QString text = decode<BytesBreak::AnyToBlockSeparator>(fileBytes.substr(0, fileBytes.find('\0')), breaks);
    lines = breaks + 1;
    return text;
}

std::string bytesFromDocumentText(QStringView text) { return encode<true>(text); }

bool makeStorable(QString& text) {
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isLineBreak(c.unicode())) continue;
        if (c.isNull()) {
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

QColor toQColor(Colour colour) {
    if (colour == colours::None || colour == colours::Default) return QColor();
    if (colour.isSystem()) return QApplication::palette().color(roleOfSystemColour(colour.systemIndex()));
    return QColor(colour.red(), colour.green(), colour.blue());
}

QColor toQColor(Colour colour, QPalette::ColorRole ownRole) {
    if (colour == colours::None || colour == colours::Default) return QApplication::palette().color(ownRole);
    return toQColor(colour);
}

Colour fromQColor(const QColor& colour) { return Colour::fromRgb(colour.red(), colour.green(), colour.blue()); }

}  // namespace korvex
