// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>

class TPlot;
class TPlotChannel;

// The chart's channels when a decoder gives several (value lists, binary frames): up to MultiChannelCount, channel k
// drawn in MultiChannelColor(k) and titled "数据<k+1>" until the plot feed titles it with the name whose values it
// holds (see TPlotFeed). Channel 0 is the chart's own channel; the others are added as the feed needs them and keep
// the newest ExtraChannelPoints points each.

inline constexpr int MultiChannelCount = 16;

QColor MultiChannelColor(int channel);
QString MultiChannelTitle(int channel);

// Channel `channel` (0 to MultiChannelCount - 1), adding it and any missing one before it.
TPlotChannel &MultiChannelAt(TPlot &plot, int channel);
