#include "display/screencolours.h"

#include <QApplication>
#include <QWidget>

namespace korvex {
namespace {

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

void applyColours(QWidget& control, ControlColours colours) {
    QPalette palette = control.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, toQColor(colours.background, QPalette::Base));
        palette.setColor(group, QPalette::Text, toQColor(colours.text, QPalette::Text));
    }
    control.setPalette(palette);
}

}  // namespace korvex
