// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>

// The figures of a stretch of one trace. Absent figures (std::nullopt) have no meaning for the stretch: every level
// needs at least two points, the frequency at least two rising crossings of the mean.
struct TSignalMeasurements {
    int64_t Count = 0;
    std::optional<double> Min, Max, PeakToPeak, Mean, Rms;
    std::optional<double> Frequency; // Hz, with X in seconds
};

// Measures a stretch of trace in two passes over its values, in time order:
//   1. AddLevel(y) for every point, so that the points can be read straight from wherever they are stored, or
//      AddLevels(ys) over values gathered in order: count, extremes, mean and RMS (the root of the mean square, offset
//      included);
//   2. AddCrossings(ys, timeOf) once, over the same values gathered in order: rising crossings of the mean. Only the
//      points around the first and the last crossing need their times, so timeOf(i), the X of value i, is asked for
//      them alone.
// A rising crossing is counted once the trace has been below the mean by more than a tenth of its peak-to-peak
// value and climbs to as far above it, so that noise riding on a slow edge counts one crossing; it is dated where the
// trace last passed the mean on the way up, interpolated between the two points around it. The frequency is the number
// of whole periods between the first and the last crossing over the time between them.
class TSignalMeter
{
public:
    void AddLevel(double y)
    {
        if (FCount == 0)
            FOrigin = y;
        ++FCount;
        // Sums of the offset from the first value keep their precision on a small signal riding on a large offset.
        const double d = y - FOrigin;
        FSum += d;
        FSquares += d * d;
        if (y < FMin)
            FMin = y;
        if (y > FMax)
            FMax = y;
    }

    // AddLevel for each value in turn, in one tight loop.
    void AddLevels(std::span<const double> ys);

    template <class TTimeOf> void AddCrossings(std::span<const double> ys, TTimeOf &&timeOf)
    {
        const double mean = MeanLevel();
        const double band = Hysteresis();
        const double low = mean - band, high = mean + band;
        const std::size_t count = ys.size();
        bool armed = count > 0 && ys[0] < low;
        std::size_t rise = 0; // the point just past the last upward pass of the mean; 0: none yet
        std::size_t first = 0, last = 0;
        int64_t crossings = 0;
        for (std::size_t i = 1; i < count; ++i) {
            const double y = ys[i];
            if (ys[i - 1] < mean && y >= mean)
                rise = i;
            if (y < low) {
                armed = true;
            } else if (armed && rise && y >= high) {
                if (crossings++ == 0)
                    first = rise;
                last = rise;
                armed = false;
            }
        }
        FCrossings = crossings;
        if (crossings == 0)
            return;
        auto passTime = [&](std::size_t i) {
            const double x0 = timeOf(i - 1), x1 = timeOf(i);
            return x0 + (x1 - x0) * (mean - ys[i - 1]) / (ys[i] - ys[i - 1]);
        };
        FFirstCrossing = passTime(first);
        FLastCrossing = passTime(last);
    }

    TSignalMeasurements Result() const;

private:
    double MeanLevel() const;
    double Hysteresis() const;

    int64_t FCount = 0;
    double FOrigin = 0;
    double FSum = 0;
    double FSquares = 0;
    double FMin = std::numeric_limits<double>::infinity();
    double FMax = -std::numeric_limits<double>::infinity();

    int64_t FCrossings = 0;
    double FFirstCrossing = 0, FLastCrossing = 0;
};

// Both passes over points held in two arrays of equal length (X in seconds, ascending).
TSignalMeasurements MeasureSignal(std::span<const double> x, std::span<const double> y);
