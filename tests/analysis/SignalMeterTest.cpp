// SPDX-License-Identifier: GPL-3.0-or-later
// Measurements of known signals: levels, RMS and the frequency from rising crossings of the mean, on clean, offset,
// noisy and unevenly sampled traces, and what is left absent on traces too short or without crossings.
#include "analysis/SignalMeter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace
{

struct TTrace {
    std::vector<double> X, Y;
};

// A deterministic noise in -1 ... 1.
double Noise(int i)
{
    const uint32_t h = uint32_t(i) * 2654435761u;
    return double((h >> 8) & 0xFFFF) / 32767.5 - 1;
}

// offset + amplitude sin(2 pi f t) sampled at `rate` for `seconds`; `jitter` moves each sample time by up to that share
// of the interval, `noise` adds up to that much noise.
TTrace Sine(double amplitude, double frequency, double rate, double seconds, double offset = 0, double jitter = 0,
    double noise = 0)
{
    TTrace t;
    for (int i = 0; i < int(seconds * rate); ++i) {
        const double time = (i + jitter * Noise(i + 7)) / rate;
        t.X.push_back(time);
        t.Y.push_back(offset + amplitude * std::sin(2 * std::numbers::pi * frequency * time) + noise * Noise(i));
    }
    return t;
}

TTrace Square(double amplitude, double frequency, double rate, double seconds)
{
    TTrace t;
    for (int i = 0; i < int(seconds * rate); ++i) {
        const double time = i / rate;
        t.X.push_back(time);
        t.Y.push_back(std::fmod(time * frequency, 1.0) < 0.5 ? amplitude : -amplitude);
    }
    return t;
}

TSignalMeasurements Measure(const TTrace &t)
{
    return MeasureSignal(t.X, t.Y);
}

} // namespace

TEST(SignalMeter, KnownSignalsGiveTheirLevelsRmsAndFrequency)
{
    const double a = 3.0;
    struct TCase {
        const char *Name;
        TTrace Trace;
        double Min, Max, Mean, Rms, Frequency;
    } cases[] = {
        // 10.25 periods: the part period at the end is what a view cut anywhere leaves.
        { "sine", Sine(a, 5, 200, 2.05), -a, a, 0, a / std::sqrt(2.0), 5 },
        { "sine on an offset", Sine(2, 50, 10'000, 0.2, 1000), 998, 1002, 1000, std::sqrt(1000.0 * 1000 + 2), 50 },
        { "sine sampled unevenly", Sine(a, 5, 200, 2.05, 0, 0.3), -a, a, 0, a / std::sqrt(2.0), 5 },
        { "sine with noise of a tenth", Sine(a, 7, 1000, 3, 0, 0, 0.1 * a), -1.1 * a, 1.1 * a, 0, a / std::sqrt(2.0),
            7 },
        { "square", Square(a, 50, 10'000, 0.5), -a, a, 0, a, 50 },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TSignalMeasurements m = Measure(c.Trace);
        EXPECT_EQ(m.Count, int64_t(c.Trace.Y.size()));
        ASSERT_TRUE(m.Min && m.Max && m.PeakToPeak && m.Mean && m.Rms && m.Frequency);
        const double tolerance = 0.12 * a; // the extremes of the noisy trace lie within its noise
        EXPECT_NEAR(*m.Min, c.Min, tolerance);
        EXPECT_NEAR(*m.Max, c.Max, tolerance);
        EXPECT_DOUBLE_EQ(*m.PeakToPeak, *m.Max - *m.Min);
        EXPECT_NEAR(*m.Mean, c.Mean, 0.02 * a);
        EXPECT_NEAR(*m.Rms, c.Rms, 0.005 * c.Rms) << "within 0.5 %";
        EXPECT_NEAR(*m.Frequency, c.Frequency, 0.005 * c.Frequency) << "within 0.5 %";
    }
}

TEST(SignalMeter, ShortOrFlatTracesLeaveWhatTheyCannotTellAbsent)
{
    struct TCase {
        const char *Name;
        TTrace Trace;
        bool Levels;
    } cases[] = {
        { "no point", {}, false },
        { "one point", { { 0.0 }, { 5.0 } }, false },
        { "two points", { { 0.0, 1.0 }, { 1.0, 3.0 } }, true },
        { "flat", { { 0, 1, 2, 3, 4 }, { 7, 7, 7, 7, 7 } }, true },
        { "one rising crossing", Sine(1, 1, 100, 1.2), true },
        { "a ramp", { { 0, 1, 2, 3, 4 }, { 0, 1, 2, 3, 4 } }, true },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TSignalMeasurements m = Measure(c.Trace);
        EXPECT_EQ(m.Count, int64_t(c.Trace.Y.size()));
        EXPECT_EQ(m.Min.has_value(), c.Levels);
        EXPECT_EQ(m.Rms.has_value(), c.Levels);
        EXPECT_FALSE(m.Frequency.has_value());
    }
    const TSignalMeasurements flat = Measure({ { 0, 1, 2, 3 }, { -7, -7, -7, -7 } });
    EXPECT_EQ(*flat.PeakToPeak, 0);
    EXPECT_EQ(*flat.Mean, -7);
    EXPECT_EQ(*flat.Rms, 7);
}

TEST(SignalMeter, NoiseAroundTheMeanOnASlowEdgeCountsOneCrossing)
{
    // A 1 Hz square wave whose edges take a tenth of a second, with noise of 2 % riding on them: without a band
    // around the mean each edge would count several crossings.
    TTrace t;
    for (int i = 0; i < 5000; ++i) {
        const double time = i / 1000.0;
        const double phase = std::fmod(time, 1.0);
        double y = phase < 0.1 ? -1 + 20 * phase : phase < 0.5 ? 1 : phase < 0.6 ? 1 - 20 * (phase - 0.5) : -1;
        t.X.push_back(time);
        t.Y.push_back(y + 0.04 * Noise(i));
    }
    const TSignalMeasurements m = Measure(t);
    ASSERT_TRUE(m.Frequency);
    EXPECT_NEAR(*m.Frequency, 1.0, 0.005);
}
