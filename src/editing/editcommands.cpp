#include "editing/editcommands.h"

#include "app/textwindow.h"
#include "app/uKorvex21.h"

namespace korvex::editing {

void cut(TForm1& form) { form.FocusTextWindow(); }
void copy(TForm1& form) { form.FocusTextWindow(); }
void paste(TForm1& form) { form.FocusTextWindow(); }
void selectAll(TForm1& form) { form.MemArbeitsfenster->selectAll(); }
void refreshDate(TForm1&) {}
void insertDate(TForm1& form) { form.FocusTextWindow(); }
void chooseFont(TForm1& form) { form.FocusTextWindow(); }
void applyPickedColour(TForm1& form) { form.FocusTextWindow(); }
void toggleStayOnTop(TForm1&) {}
void convertText(TForm1& form, HtmlConversion) { form.FocusTextWindow(); }

}  // namespace korvex::editing
