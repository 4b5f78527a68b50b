// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Spectrum.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <new>
#include <numeric>

struct TSpectrum::TPlan {
    double *In = nullptr;
    fftw_complex *Out = nullptr;
    fftw_plan Plan = nullptr;

    explicit TPlan(int size)
    {
        In = fftw_alloc_real(std::size_t(size));
        Out = fftw_alloc_complex(std::size_t(size / 2 + 1));
        // Estimated, not measured: planning stays in the millisecond range when the user picks another size, and the
        // estimated plan for powers of two already meets the transform's time budget.
        if (In && Out)
            Plan = fftw_plan_dft_r2c_1d(size, In, Out, FFTW_ESTIMATE);
        if (!Plan) {
            Free();
            throw std::bad_alloc();
        }
    }
    ~TPlan() { Free(); }
    void Free()
    {
        if (Plan)
            fftw_destroy_plan(Plan);
        fftw_free(In);
        fftw_free(Out);
        Plan = nullptr;
        In = nullptr;
        Out = nullptr;
    }
};

TSpectrum::TSpectrum(int size)
    : FSize(std::max(size, 2))
    , FPlan(std::make_unique<TPlan>(FSize))
{
}

TSpectrum::~TSpectrum() = default;

void TSpectrum::Compute(std::span<const double> samples, TWindowKind kind, std::vector<double> &magnitudes)
{
    const std::size_t used = std::min(samples.size(), std::size_t(FSize));
    magnitudes.assign(std::size_t(BinCount()), 0.0);
    if (used == 0)
        return;
    if (kind != FWindowKind || FWindow.size() != used) {
        FWindowKind = kind;
        FWindow = WindowCoefficients(kind, int(used));
        FWindowSum = std::accumulate(FWindow.begin(), FWindow.end(), 0.0);
    }
    const double mean = std::accumulate(samples.begin(), samples.begin() + used, 0.0) / double(used);
    double *in = FPlan->In;
    for (std::size_t i = 0; i < used; ++i)
        in[i] = (samples[i] - mean) * FWindow[i];
    std::fill(in + used, in + FSize, 0.0);
    fftw_execute(FPlan->Plan);

    // A sine of amplitude A puts A/2 times the window's sum into its bin and as much into its mirror image.
    const double scale = FWindowSum > 0 ? 2 / FWindowSum : 0;
    const fftw_complex *out = FPlan->Out;
    for (int k = 1; k < BinCount(); ++k)
        magnitudes[std::size_t(k)] = std::hypot(out[k][0], out[k][1]) * scale;
    // The top bin of an even size has no mirror image.
    if (FSize % 2 == 0)
        magnitudes.back() /= 2;
    magnitudes[0] = std::abs(mean);
}

TSpectrumPeak FindSpectrumPeak(std::span<const double> magnitudes, double binWidth)
{
    TSpectrumPeak peak;
    for (std::size_t k = 1; k < magnitudes.size(); ++k)
        if (peak.Bin < 0 || magnitudes[k] > peak.Magnitude) {
            peak.Bin = int(k);
            peak.Magnitude = magnitudes[k];
        }
    if (peak.Bin < 0)
        return peak;
    double offset = 0;
    const std::size_t k = std::size_t(peak.Bin);
    // Neighbours at rounding level (a sine right on a bin through the rectangular window) say nothing of the offset.
    const double floor = magnitudes[k] * 1e-9;
    if (k + 1 < magnitudes.size() && magnitudes[k - 1] > floor && magnitudes[k + 1] > floor) {
        const double a = std::log(magnitudes[k - 1]), b = std::log(magnitudes[k]), c = std::log(magnitudes[k + 1]);
        const double curve = a - 2 * b + c;
        if (curve < 0)
            offset = std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
    }
    peak.Frequency = (double(peak.Bin) + offset) * binWidth;
    return peak;
}

TAutoSampleRate AutoSampleRate(std::span<const double> times)
{
    TAutoSampleRate result;
    if (times.size() < 2)
        return result;
    const double span = times.back() - times.front();
    if (!(span > 0))
        return result;
    std::vector<double> intervals(times.size() - 1);
    for (std::size_t i = 0; i + 1 < times.size(); ++i)
        intervals[i] = times[i + 1] - times[i];
    const auto middle = intervals.begin() + std::ptrdiff_t(intervals.size() / 2);
    std::nth_element(intervals.begin(), middle, intervals.end());
    const double median = *middle;
    const double count = double(intervals.size());
    if (!(median > 0)) {
        result.Rate = count / span;
        result.Uneven = true;
        return result;
    }
    result.Rate = 1 / median;
    result.Uneven = std::abs(count * median - span) > UnevenIntervalShare * span;
    return result;
}

double MagnitudeDecibels(double magnitude)
{
    if (!(magnitude > 0))
        return MinDecibels;
    return std::max(20 * std::log10(magnitude), MinDecibels);
}
