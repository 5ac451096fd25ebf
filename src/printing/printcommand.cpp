#include "printing/printcommand.h"

#include "app/uKorvex21.h"

namespace korvex::printing {

void print(TForm1& form) { form.FocusTextWindow(); }

}  // namespace korvex::printing
