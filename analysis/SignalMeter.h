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

// Measures a stretch of trace in two passes over the same points, in time order, so that the trace can be read straight
// from wherever it is stored:
//   1. AddLevel(y) for every point: count, extremes, mean and RMS (the root of the mean square, offset included);
//   2. StartCrossings(), then AddCrossing(x, y) for every point again: rising crossings of the mean.
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

    void StartCrossings();

    void AddCrossing(double x, double y)
    {
        if (FHavePrevious && FPreviousY < FMeanLevel && y >= FMeanLevel) {
            FLastRise = FPreviousX + (x - FPreviousX) * (FMeanLevel - FPreviousY) / (y - FPreviousY);
            FHaveRise = true;
        }
        if (y < FMeanLevel - FHysteresis) {
            FArmed = true;
        } else if (FArmed && FHaveRise && y >= FMeanLevel + FHysteresis) {
            if (FCrossings == 0)
                FFirstCrossing = FLastRise;
            FLastCrossing = FLastRise;
            ++FCrossings;
            FArmed = false;
        }
        FPreviousX = x;
        FPreviousY = y;
        FHavePrevious = true;
    }

    TSignalMeasurements Result() const;

private:
    int64_t FCount = 0;
    double FOrigin = 0;
    double FSum = 0;
    double FSquares = 0;
    double FMin = std::numeric_limits<double>::infinity();
    double FMax = -std::numeric_limits<double>::infinity();

    double FMeanLevel = 0;
    double FHysteresis = 0;
    bool FHavePrevious = false;
    double FPreviousX = 0, FPreviousY = 0;
    bool FArmed = false;
    bool FHaveRise = false;
    double FLastRise = 0;
    int64_t FCrossings = 0;
    double FFirstCrossing = 0, FLastCrossing = 0;
};

// Both passes over points held in two arrays of equal length (X in seconds, ascending).
TSignalMeasurements MeasureSignal(std::span<const double> x, std::span<const double> y);
