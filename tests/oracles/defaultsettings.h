#pragma once

#include "settings/settingsfile.h"

namespace korvex {

// A whole record of plausible values for tests to start from and vary.
inline const SettingsRecord kDefaultSettings = {
    71, 214, 658, 660, colours::MoneyGreen, "Courier New", 10, FontStyle{}, colours::WindowText, "", ""};

}  // namespace korvex
