#include "editing/htmlcommand.h"

#include "app/textwindow.h"
#include "app/uKorvex21.h"

namespace korvex::editing {

void convertTextCommand(TForm1& form, HtmlConversion mode) {
    TextWindow& memo = *form.MemArbeitsfenster;
    // Replaced as a whole, so caret and selection start over; the change
    // signal brings the status labels up to date.
    memo.loadBytes(convertToHtml(memo.text(), mode));
    form.FocusTextWindow();
    // Counted as a change even when nothing needed converting.
    form.SavedFlag = false;
}

}  // namespace korvex::editing
