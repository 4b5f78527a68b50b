// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

class TPlotChannelCustom;
class TPlotMasterManager;

// Value axes that fit the data in view: instead of only widening as new extremes arrive, a value axis takes the
// range of the values its channels show in their time axis's range, so that a small signal (a sine of amplitude 1, a
// voltage of 3.3 beside a humidity of 41) fills the view. Plain functions: the chart calls FitValueAxesToData before
// each repaint while its YAutoFit is on.

struct TPlotRange {
    double Min = 0;
    double Span = 0;

    bool operator==(const TPlotRange &) const = default;
};

// Room left above and below the data, as a share of their extent.
inline constexpr double AutoFitMargin = 0.1;
// The shown range stays while the data fill at least this share of it (and fit in it), so that the axis keeps still
// while the data move a little.
inline constexpr double AutoFitMinFill = 0.5;

// The range an axis showing `shown` takes for data from low to high: nullopt while `shown` holds them as said above;
// otherwise the data with AutoFitMargin of their extent above and below, and data of one value in the middle of a
// range a tenth of its size (of 1 around 0).
std::optional<TPlotRange> FitRangeToData(const TPlotRange &shown, double low, double high);

// The lowest and highest value of `channel`'s points with X in xMin ... xMax (points that break the line, are marked
// empty or are not numbers are left out); false when there is none. The X of the points must ascend.
bool ChannelValueRange(const TPlotChannelCustom &channel, double xMin, double xMax, double &low, double &high);

// Fits every value axis that follows its data (tracking on and not held: not paused, zoomed or placed by the trigger)
// to the visible channels drawn against it, each over the range its time axis shows. An axis without data in view
// stays. Returns whether an axis moved.
bool FitValueAxesToData(TPlotMasterManager &master);
