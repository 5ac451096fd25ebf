#pragma once

#include <QKeyEvent>

namespace korvex {

// A key that counts as typing: one that gives a character, and Ctrl+A to
// Ctrl+Z; not Delete, Tab or an Alt shortcut (AltGr, Ctrl+Alt, does type).
bool isCharacterKey(const QKeyEvent& event);

}  // namespace korvex
