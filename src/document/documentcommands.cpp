#include "document/documentcommands.h"

#include "app/uKorvex21.h"

namespace korvex::document {

void newClose(TForm1& form) { form.FocusTextWindow(); }
void open(TForm1& form) { form.FocusTextWindow(); }
void save(TForm1& form) { form.FocusTextWindow(); }
void saveAs(TForm1& form) { form.FocusTextWindow(); }
bool closeAllowed(TForm1&) { return true; }

}  // namespace korvex::document
