#pragma once

#include "settings/settingsfile.h"

namespace korvex {

// A whole record of plausible values for tests to start from and vary.
inline const SettingsRecord kDefaultSettings = {.top = 71,
                                                .left = 214,
                                                .height = 658,
                                                .width = 660,
                                                .windowColour = colours::MoneyGreen,
                                                .fontName = "Courier New",
                                                .fontSize = 10,
                                                .style = FontStyle{},
                                                .fontColour = colours::WindowText,
                                                .openDir = "",
                                                .saveDir = ""};

}  // namespace korvex
