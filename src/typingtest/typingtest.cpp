#include "typingtest/typingtest.h"

#include "app/textwindow.h"
#include "app/uKorvex21.h"

namespace korvex::typingtest {

void start(TForm1& form) { form.FocusTextWindow(); }
void stop(TForm1& form) { form.FocusTextWindow(); }
void reset(TForm1& form) { form.FocusTextWindow(); }
void timerTick(TForm1&) {}
long long Anschlaege(const TForm1& form) { return form.MemArbeitsfenster->characterCount(); }

}  // namespace korvex::typingtest
