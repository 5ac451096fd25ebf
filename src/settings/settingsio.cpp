#include "settings/settingsio.h"

#include "app/uKorvex21.h"

namespace korvex::settings {

void readSettingsFile(TForm1&) {}
void writeSettingsFile(TForm1&) {}

}  // namespace korvex::settings
