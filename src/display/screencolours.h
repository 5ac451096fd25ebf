#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

#include "base/textforms.h"

// The one way between the colours of the settings file and colours on screen.
namespace korvex {

// System colours take the platform's corresponding colours. "clNone" and
// "clDefault" have no colour of their own: they give an invalid colour here,
// and the colour of the role given in the second form, which is what a
// control shows by default there (the window's background, the text's
// colour), so text never falls on its own colour.
QColor toQColor(Colour colour);
QColor toQColor(Colour colour, QPalette::ColorRole ownRole);
Colour fromQColor(const QColor& colour);

// The colours of a text control, kept as the program's colour values so a
// system colour stays a system colour when it is stored again.
struct ControlColours {
    Colour background;
    Colour text;
};

void applyColours(QWidget& control, ControlColours colours);

}  // namespace korvex
