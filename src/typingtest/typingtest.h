#pragma once

#include "typingtest/mainwindow.h"

// The typing test's commands on the main window: GO, STP, RST and the timer tick.
namespace korvex::typingtest {

void start(MainWindow& window);
void stop(MainWindow& window);
void reset(MainWindow& window);
void timerTick(MainWindow& window);
// The keystroke count: the characters of all display lines.
long long Anschlaege(const MainWindow& window);

}  // namespace korvex::typingtest
