#pragma once

#include <memory>

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
};

WindowSet createWindowSet(Platform& platform);

}  // namespace korvex
