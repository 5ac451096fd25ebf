#include "display/characterkey.h"

namespace korvex {

bool isCharacterKey(const QKeyEvent& event) {
    const auto key = event.key();
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    if (mods.testFlag(Qt::AltModifier) && !ctrl) return false;
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) return true;
    return !event.text().isEmpty();
}

}  // namespace korvex
