#pragma once

namespace korvex {
class TForm1;
}

// The typing test's commands on the main window: GO, STP, RST and the timer tick.
namespace korvex::typingtest {

void start(TForm1& form);
void stop(TForm1& form);
void reset(TForm1& form);
void timerTick(TForm1& form);
// The keystroke count: the characters of all display lines.
long long Anschlaege(const TForm1& form);

}  // namespace korvex::typingtest
