// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/SignalMeter.h"

#include <algorithm>
#include <cmath>

namespace
{

// The crossing band either side of the mean, as a share of the peak-to-peak value.
constexpr double HysteresisShare = 0.1;

} // namespace

void TSignalMeter::AddLevels(std::span<const double> ys)
{
    if (ys.empty())
        return;
    if (FCount == 0)
        FOrigin = ys[0];
    const double origin = FOrigin;
    double sum = 0, squares = 0, min = FMin, max = FMax;
    for (const double y : ys) {
        const double d = y - origin;
        sum += d;
        squares += d * d;
        min = std::min(min, y);
        max = std::max(max, y);
    }
    FCount += int64_t(ys.size());
    FSum += sum;
    FSquares += squares;
    FMin = min;
    FMax = max;
}

double TSignalMeter::MeanLevel() const
{
    return FCount ? FOrigin + FSum / double(FCount) : 0;
}

double TSignalMeter::Hysteresis() const
{
    return FCount ? (FMax - FMin) * HysteresisShare : 0;
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
    meter.AddLevels(y.first(count));
    meter.AddCrossings(y.first(count), [&](std::size_t i) { return x[i]; });
    return meter.Result();
}
