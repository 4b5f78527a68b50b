// SPDX-License-Identifier: GPL-3.0-or-later
// Spectra of sampled sines through each window: the peak's bin and magnitude, the window's coherent gain, the mean
// kept out of the low bins, a run shorter than the transform, and the sample rate taken from the points' times.
#include "analysis/Spectrum.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <numeric>
#include <vector>

namespace
{

std::vector<double> SineSamples(int count, double cyclesPerSample, double amplitude, double offset = 0)
{
    std::vector<double> samples(std::size_t(count), 0.0);
    for (int i = 0; i < count; ++i)
        samples[std::size_t(i)] = offset + amplitude * std::sin(2 * std::numbers::pi * cyclesPerSample * i + 0.3);
    return samples;
}

const struct {
    const char *Name;
    TWindowKind Kind;
    double CoherentGain;
} Windows[] = {
    { "Hann", TWindowKind::Hann, 0.5 },
    { "rectangular", TWindowKind::Rectangular, 1.0 },
    { "Hamming", TWindowKind::Hamming, 0.54 },
    { "Blackman-Harris", TWindowKind::BlackmanHarris, 0.35875 },
};

} // namespace

TEST(WindowFunction, EachWindowHasItsCoherentGainAndItsTopInTheMiddle)
{
    for (const auto &w : Windows) {
        SCOPED_TRACE(w.Name);
        const std::vector<double> c = WindowCoefficients(w.Kind, 1024);
        ASSERT_EQ(c.size(), 1024u);
        EXPECT_NEAR(std::accumulate(c.begin(), c.end(), 0.0) / 1024, w.CoherentGain, 1e-12);
        EXPECT_NEAR(c[512], 1.0, 1e-4) << "the middle is the window's top";
        EXPECT_NEAR(c[1], c[1023], 1e-12) << "symmetric about the middle";
    }
}

TEST(Spectrum, ASineOnABinPeaksThereWithItsAmplitudeThroughEveryWindow)
{
    TSpectrum spectrum(4096);
    std::vector<double> magnitudes;
    for (const auto &w : Windows) {
        SCOPED_TRACE(w.Name);
        spectrum.Compute(SineSamples(4096, 100.0 / 4096, 2.5, 1000), w.Kind, magnitudes);
        ASSERT_EQ(magnitudes.size(), 2049u);
        const TSpectrumPeak peak = FindSpectrumPeak(magnitudes, 200.0 / 4096);
        EXPECT_EQ(peak.Bin, 100);
        EXPECT_NEAR(peak.Magnitude, 2.5, 1e-9) << "corrected for the window's gain";
        EXPECT_NEAR(peak.Frequency, 100 * 200.0 / 4096, 1e-9);
        EXPECT_NEAR(magnitudes[0], 1000, 1e-9) << "bin 0 holds the mean";
        EXPECT_LT(magnitudes[1], 1e-9) << "the mean does not leak";
    }
}

TEST(Spectrum, ASineBetweenBinsPeaksInTheNearestBinAndTheRefinedFrequencyFindsIt)
{
    TSpectrum spectrum(4096);
    std::vector<double> magnitudes;
    for (const double bin : { 100.3, 100.5, 817.8 })
        for (const auto &w : Windows) {
            SCOPED_TRACE(std::string(w.Name) + " at bin " + std::to_string(bin));
            spectrum.Compute(SineSamples(4096, bin / 4096, 1.0), w.Kind, magnitudes);
            const TSpectrumPeak peak = FindSpectrumPeak(magnitudes, 1.0);
            EXPECT_LE(std::abs(peak.Bin - bin), 0.5);
            // The parabola fits the window's peak closely where it is smooth; the rectangular one's is sharpest.
            EXPECT_NEAR(peak.Frequency, bin, w.Kind == TWindowKind::Rectangular ? 0.25 : 0.1);
        }
}

TEST(Spectrum, FewerSamplesThanTheSizeArePaddedAndStillReadTheirAmplitude)
{
    TSpectrum spectrum(4096);
    std::vector<double> magnitudes;
    // 1000 samples at 0.1 cycles a sample: the peak stands at bin 409.6 of the padded transform.
    spectrum.Compute(SineSamples(1000, 0.1, 4.0), TWindowKind::Hann, magnitudes);
    const TSpectrumPeak peak = FindSpectrumPeak(magnitudes, 1.0 / 4096);
    EXPECT_NEAR(peak.Frequency, 0.1, 0.5 / 4096);
    EXPECT_NEAR(peak.Magnitude, 4.0, 4.0 * 0.2) << "within the Hann window's scalloping loss";

    spectrum.Compute({}, TWindowKind::Hann, magnitudes);
    EXPECT_EQ(magnitudes, std::vector<double>(2049, 0.0));
    EXPECT_EQ(FindSpectrumPeak({}, 1.0).Bin, -1);
}

namespace
{

// Times of `rate` samples a second for `seconds`, from `start`.
std::vector<double> EvenTimes(double rate, double seconds, double start = 0)
{
    std::vector<double> times;
    for (int i = 0; i < int(rate * seconds); ++i)
        times.push_back(start + i / rate);
    return times;
}

std::vector<double> Joined(std::vector<double> a, const std::vector<double> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(Spectrum, SampleRateFromThePointsTimesAndDecibels)
{
    std::vector<double> jittered; // intervals of 4.5, 5 and 5.5 ms in turn: 200 a second on the whole
    for (double t = 0; jittered.size() < 3000; t += 0.0045 + 0.0005 * double(jittered.size() % 3))
        jittered.push_back(t);
    const struct {
        const char *Name;
        std::vector<double> Times;
        double Rate;
        bool Uneven;
    } rates[] = {
        { "200 a second", EvenTimes(200, 20.48, 10), 200, false },
        { "a pause of 3 s between two runs", Joined(EvenTimes(200, 5), EvenTimes(200, 5, 8)), 200, true },
        { "a burst at 1000 a second in the middle",
            Joined(Joined(EvenTimes(200, 4), EvenTimes(1000, 1, 4)), EvenTimes(200, 4, 5)), 200, true },
        { "intervals jittering around 5 ms", jittered, 200, false },
        { "most samples share a time: spread over the span", { 0, 0, 0, 0, 1, 1, 1, 1, 1 }, 8, true },
        { "one point", { 0 }, 0, false },
        { "no time between", std::vector<double>(10, 5.0), 0, false },
        { "times falling", { 5, 4.9, 4.8, 4 }, 0, false },
    };
    for (const auto &r : rates) {
        SCOPED_TRACE(r.Name);
        const TAutoSampleRate rate = AutoSampleRate(r.Times);
        EXPECT_NEAR(rate.Rate, r.Rate, r.Rate * 1e-6);
        EXPECT_EQ(rate.Uneven, r.Uneven);
    }

    EXPECT_DOUBLE_EQ(MagnitudeDecibels(1), 0);
    EXPECT_DOUBLE_EQ(MagnitudeDecibels(10), 20);
    EXPECT_NEAR(MagnitudeDecibels(0.001), -60, 1e-9);
    EXPECT_EQ(MagnitudeDecibels(0), MinDecibels);
}
