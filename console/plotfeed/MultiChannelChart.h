// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>

class TPlot;
class TPlotChannel;

// The chart's channels when a decoder gives several (value lists, binary frames): the decoder's channel k goes to
// the chart's channel k, drawn in MultiChannelColor(k) and titled "数据<k+1>" until the feed gives it the decoder's
// name. Channel 0 is the chart's own channel; the others are added as their first value arrives and keep the newest
// ExtraChannelPoints points each.

inline constexpr int MultiChannelCount = 16;

QColor MultiChannelColor(int channel);
QString MultiChannelTitle(int channel);

// Turns the mode's channel set-up on or off. On: channel 0 is titled "数据1". Off: the chart is back to its one
// channel titled "数据"; the added channels go with their points, and a data cursor that followed one of them follows
// channel 0 again.
void SetMultiChannelChart(TPlot &plot, bool on);

// Channel `channel` (0 to MultiChannelCount - 1), adding it and any missing one before it.
TPlotChannel &MultiChannelAt(TPlot &plot, int channel);
