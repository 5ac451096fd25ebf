#pragma once

#include <QStringList>
#include <memory>

#include "app/recoverylink.h"
#include "app/uKorvex21.h"

namespace korvex {

class Platform;

// The four windows of the program, created once in this order and living
// until the end: the main window owns the other three.
struct WindowSet {
    std::unique_ptr<TForm1> Form1;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TKxMsgDlg* KxMsgDlg = nullptr;
    std::unique_ptr<RecoveryLink> Recovery;  // ends before the windows it watches
};

WindowSet createWindowSet(Platform& platform);

// The files named after the program's name: every argument, also one that
// begins with "-"; a first "--" only ends the options there are none of.
QStringList filesNamed(int argc, const char* const* argv);

// Shows the main window, offers the unsaved text of an instance that died,
// then opens the files named on the command line.
void startUp(WindowSet& set, const QStringList& files);

}  // namespace korvex
