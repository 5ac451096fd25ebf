#include "app/qtconvert.h"

#include <QApplication>
#include <QPalette>
#include <array>

#include "app/cp1252.h"

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

}  // namespace

QString fromCp1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char b : bytes) *out++ = QChar(cp1252::toUnicode(static_cast<unsigned char>(b)));
    return text;
}

std::string toCp1252(QStringView text) {
    std::string bytes(static_cast<size_t>(text.size()), '\0');
    size_t i = 0;
    for (QChar c : text) bytes[i++] = static_cast<char>(cp1252::fromUnicode(c.unicode()));
    return bytes;
}

QString documentTextFromBytes(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* begin = text.data();
    QChar* out = begin;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            *out++ = QLatin1Char('\n');
            ++i;
        } else {
            *out++ = QChar(cp1252::toUnicode(b));
        }
    }
    text.truncate(out - begin);
    return text;
}

std::string bytesFromDocumentText(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()) + static_cast<size_t>(text.size()) / 16);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == 0x2029 || u == 0x2028) {
            bytes += "\r\n";
        } else {
            bytes += static_cast<char>(cp1252::fromUnicode(u));
        }
    }
    return bytes;
}

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
