#pragma once

#include "settings/mainwindow.h"

// The settings file of the working directory, read at start-up and written at close.
namespace korvex::settings {

// Applies the settings file, if there is one; reports damage and goes on.
void readSettingsFile(MainWindow& window);
// Without a settings file: the window keeps its first place unless it is bigger than the screen.
void placeWindowWithoutSettings(MainWindow& window);
// Writes the current settings; throws KxError when the file cannot be written.
void writeSettingsFile(MainWindow& window);

}  // namespace korvex::settings
