// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/SignalMeter.h"

#include <vector>

class TPlotChannelCustom;

// Reading a chart channel's points for the instruments, straight from its store. The points are taken in adding
// order, X ascending (the feed adds each at its arrival time); points that break the line or are marked empty are
// passed over. Called on the user-interface thread, which is the one that adds points.

// Measures the points of a channel with X in xMin ... xMax: their values are gathered from the store (a block at a time
// where no point of the range is passed over) and measured as an array, the times read only where a crossing needs
// them. Keeps its gathering room from one call to the next.
class TChannelMeter
{
public:
    TSignalMeasurements Measure(const TPlotChannelCustom &channel, double xMin, double xMax);

private:
    std::vector<double> FYs;
    std::vector<int> FIndexes; // the store index of each gathered value, when some points are passed over
};

// The Ys of the newest `count` points (fewer when the channel holds fewer), oldest first, and their Xs. False when
// there is no point.
bool NewestValues(const TPlotChannelCustom &channel, int count, std::vector<double> &ys, std::vector<double> &xs);

// The newest `count` pairs of a value of channel x and one of channel y that came with the same line or frame, oldest
// first.
void NewestPairs(const TPlotChannelCustom &x, const TPlotChannelCustom &y, int count, std::vector<double> &xs,
    std::vector<double> &ys);
