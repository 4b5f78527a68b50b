// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTrigger.h"

#include <string>

// The chart trigger's settings in setfile.ini's extension section. A missing or unreadable value reads as its default
// (off, the first channel, level 0, rising, auto, 10 %); a position is limited to 0 ... 100.
TPlotTriggerSettings LoadTriggerSettings(const std::string &settingsPath);
// False when the file refused a write; the settings then hold for this run only.
bool SaveTriggerSettings(const std::string &settingsPath, const TPlotTriggerSettings &settings);
