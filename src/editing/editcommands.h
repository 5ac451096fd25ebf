#pragma once

#include "editing/htmlconvert.h"

namespace korvex {
class TForm1;
}

// The main window's one-step commands around the text window.
namespace korvex::editing {

void cut(TForm1& form);
void copy(TForm1& form);
void paste(TForm1& form);
void selectAll(TForm1& form);
void refreshDate(TForm1& form);
void insertDate(TForm1& form);
void chooseFont(TForm1& form);
void applyPickedColour(TForm1& form);
void toggleStayOnTop(TForm1& form);
void convertText(TForm1& form, HtmlConversion mode);

}  // namespace korvex::editing
