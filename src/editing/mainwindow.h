#pragma once

#include "base/textforms.h"
#include "intentions/mainwindowintentions.h"

namespace korvex {
class BevelButtonPanel;
class ClickableField;
class ColourPicker;
class HeaderField;
}  // namespace korvex

namespace korvex::editing {

// The main window as the editing commands see it: the controls they act on
// beside the text window.
class MainWindow : public virtual MainWindowIntentions {
public:
    // The header line ("EdiKopfzeile"): it follows the text window's font and colours.
    virtual HeaderField& headerField() const = 0;
    // The date field ("EdiDatum").
    virtual ClickableField& dateField() const = 0;
    // The window colour box ("ColorBox1").
    virtual ColourPicker& colourPicker() const = 0;
    // "TOP": raised while the window does not stay on top ("PanTop").
    virtual BevelButtonPanel& stayOnTopPanel() const = 0;
    // The window colour the user chose ("WindowColor").
    virtual Colour& windowColour() = 0;

protected:
    MainWindow() = default;
    ~MainWindow() = default;
};

}  // namespace korvex::editing
