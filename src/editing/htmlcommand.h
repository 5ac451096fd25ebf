#pragma once

#include "editing/htmlconvert.h"

namespace korvex {
class TForm1;
}

namespace korvex::editing {

// "Repl" and "RAll": the whole text of the text window to HTML entities.
void convertTextCommand(TForm1& form, HtmlConversion mode);

}  // namespace korvex::editing
