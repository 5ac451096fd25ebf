#pragma once

#include "base/textforms.h"
#include "intentions/mainwindowintentions.h"

class QFont;

namespace korvex::editing {

// The main window as the editing commands see it: what they change beside
// the text window, said as intentions.
class MainWindow : public virtual MainWindowIntentions {
public:
    // The text window and the header line ("EdiKopfzeile") take this font and text colour.
    virtual void chooseTextFont(const QFont& font, Colour textColour) = 0;
    // The window colour ("WindowColor") becomes `colour`, behind the text window and the header line.
    virtual void chooseWindowColour(Colour colour) = 0;
    // The date field ("EdiDatum") shows `date`.
    virtual void showDate(const QString& date) = 0;
    // Selects the date field's text, as a copy from it does, and gives it.
    virtual QString selectShownDate() = 0;
    // "TOP": the window stays above the others ("PanTop" sunken) or not.
    virtual bool staysOnTop() const = 0;
    virtual void stayOnTop(bool onTop) = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::editing
