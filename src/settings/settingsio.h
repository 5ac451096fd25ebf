#pragma once

namespace korvex {
class TForm1;
}

// The settings file of the working directory, read at start-up and written at close.
namespace korvex::settings {

// Applies the file at SettingsFilePath, if there is one; reports damage and goes on.
void readSettingsFile(TForm1& form);
// Writes the current settings; throws KxError when the file cannot be written.
void writeSettingsFile(TForm1& form);

}  // namespace korvex::settings
