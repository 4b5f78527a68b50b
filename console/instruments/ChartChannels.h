// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QComboBox;
class TPlot;
class TPlotChannelCustom;

// The chart's channels as the instrument windows offer them: by index, with the title and colour the legend shows.
// Channels come and go with the data mode, so the windows look them up again at every refresh.

// Channel `index` of the chart; null when there is none.
const TPlotChannelCustom *ChartChannel(const TPlot &plot, int index);

// Brings a choice of channel in line with the chart: one entry a channel (its title, a swatch of its colour). The
// chosen index stays while it exists; otherwise the choice falls on `fallback` (or the last channel). Raises no signal
// of the box: the caller reads the choice afterwards.
void SyncChannelChoice(QComboBox &box, const TPlot &plot, int fallback = 0);
