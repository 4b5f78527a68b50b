// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/WindowFunction.h"

#include <memory>
#include <span>
#include <vector>

// The magnitude spectrum of a run of evenly spaced samples through a real-to-complex transform of a fixed size
// (FFTW, planned once at construction). Not thread-safe: one thread uses an object, and objects are made on one thread
// (FFTW's planner is shared).
class TSpectrum
{
public:
    // size: the transform's length, at least 2.
    explicit TSpectrum(int size);
    ~TSpectrum();
    TSpectrum(const TSpectrum &) = delete;
    TSpectrum &operator=(const TSpectrum &) = delete;

    int Size() const { return FSize; }
    // Bins 0 ... Size() / 2: bin k stands for k / Size() of the sample rate.
    int BinCount() const { return FSize / 2 + 1; }

    // Fills `magnitudes` with BinCount() values. The samples (at most Size(); fewer are padded with zeros) lose their
    // mean and are multiplied by the window taken over them before the transform. The magnitudes are in the samples'
    // own unit, corrected for the window's gain: a sine of amplitude A on a bin's frequency reads A in that bin. Bin 0
    // holds the size of the removed mean, so that a steady offset neither hides nor leaks onto the low bins.
    void Compute(std::span<const double> samples, TWindowKind kind, std::vector<double> &magnitudes);

private:
    struct TPlan;
    int FSize;
    std::unique_ptr<TPlan> FPlan;
    TWindowKind FWindowKind = TWindowKind::Hann;
    std::vector<double> FWindow; // for FWindowKind over FWindow.size() samples
    double FWindowSum = 0;
};

struct TSpectrumPeak {
    int Bin = -1; // -1: no bin above 0
    double Frequency = 0; // between bins: the top of a parabola through the peak and its neighbours (log magnitudes)
    double Magnitude = 0; // of the peak bin
};

// The largest bin above bin 0 (the mean) of a magnitude spectrum whose bins are binWidth apart.
TSpectrumPeak FindSpectrumPeak(std::span<const double> magnitudes, double binWidth);

struct TAutoSampleRate {
    double Rate = 0; // Hz; 0 when the times give none
    bool Uneven = false; // the intervals differ enough that the rate stands for only part of the samples
};

// How far the median interval times the number of intervals may be from the samples' span, as a share of the span,
// before the intervals count as uneven.
inline constexpr double UnevenIntervalShare = 0.1;

// The rate of samples taken at `times` (seconds, ascending): one over the median interval between neighbours, so that
// a pause in the data (or a burst) does not pull the rate. Uneven when the intervals do not add up to the span at that
// rate (UnevenIntervalShare). When the median interval is not positive (most samples share a time), the rate is
// that of the intervals spread over the span, and uneven. A rate of 0 when there is none (fewer than two samples, or
// no time between the first and the last).
TAutoSampleRate AutoSampleRate(std::span<const double> times);

// 20 log10 of a magnitude (dB against one unit of the samples); at least MinDecibels, so that a zero bin stays
// drawable.
inline constexpr double MinDecibels = -300;
double MagnitudeDecibels(double magnitude);
