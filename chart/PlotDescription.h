// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TPlot;

// Replaces the chart's objects and settings with the strip chart of the main window: one toolbar, one legend, a time
// axis that scrolls with new data, a value axis that widens to new extremes, the channel "数据" (dated from this
// moment), the grid, a hidden data cursor and a hidden title. No axis event is raised while loading.
void LoadStripChartDescription(TPlot &plot);
