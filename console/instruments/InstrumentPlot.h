// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TPlot;
class TPlotAxis;

// The chart of an instrument window (XY, spectrum): the chart component as the main window has it (toolbar with zoom,
// pan, pause, copy, save and print; context menu; data cursor off until its button), without its title, and with one
// channel that the window fills itself, so that adding points moves no axis.
void SetUpInstrumentPlot(TPlot &plot);

// Shows min ... max on the axis with `spare` of the range spare at each end (a range of nothing is widened to one unit
// about its value), unless the user has taken the axis over: a zoom, a pan or a pause stops the axis's tracking,
// and the toolbar's resume hands it back.
void FitInstrumentAxis(TPlotAxis &axis, double min, double max, double spare = 0.05);
