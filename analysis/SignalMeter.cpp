// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/SignalMeter.h"

#include <algorithm>
#include <cmath>

namespace
{

// The crossing band either side of the mean, as a share of the peak-to-peak value.
constexpr double HysteresisShare = 0.1;

} // namespace

void TSignalMeter::StartCrossings()
{
    FMeanLevel = FCount ? FOrigin + FSum / double(FCount) : 0;
    FHysteresis = FCount ? (FMax - FMin) * HysteresisShare : 0;
    FHavePrevious = false;
    FArmed = false;
    FHaveRise = false;
    FCrossings = 0;
}

TSignalMeasurements TSignalMeter::Result() const
{
    TSignalMeasurements result;
    result.Count = FCount;
    if (FCount < 2)
        return result;
    const double n = double(FCount);
    const double offsetMean = FSum / n;
    // The variance from the offset sums; rounding can leave it a hair below zero on a flat trace.
    const double variance = std::max(FSquares / n - offsetMean * offsetMean, 0.0);
    const double mean = FOrigin + offsetMean;
    result.Min = FMin;
    result.Max = FMax;
    result.PeakToPeak = FMax - FMin;
    result.Mean = mean;
    result.Rms = std::sqrt(mean * mean + variance);
    if (FCrossings >= 2 && FLastCrossing > FFirstCrossing)
        result.Frequency = double(FCrossings - 1) / (FLastCrossing - FFirstCrossing);
    return result;
}

TSignalMeasurements MeasureSignal(std::span<const double> x, std::span<const double> y)
{
    TSignalMeter meter;
    const std::size_t count = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < count; ++i)
        meter.AddLevel(y[i]);
    meter.StartCrossings();
    for (std::size_t i = 0; i < count; ++i)
        meter.AddCrossing(x[i], y[i]);
    return meter.Result();
}
