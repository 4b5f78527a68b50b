// SPDX-License-Identifier: GPL-3.0-or-later
// bench_instruments: what one refresh of each instrument window costs.
// - Spectrum: 65,536 points through each window function, the transform alone and as the window takes it from a chart
//   channel (newest points read from the store, transform, dB); the mark is under 5 ms.
// - Measurements: 1,000,000 visible points of a chart channel (both passes over the store); the mark is under 5 ms.
//   The meter over plain arrays for comparison.
// - XY: the newest 1,000,000 pairs of two channels filled as multi-channel lines fill them; the XY window's refresh and
//   paint at that many.
// - All three windows at their defaults refreshing once per 100 ms while lines of eight values arrive at 10,000 a
//   second (a 1-second view): the time of one refresh of all three, and the share of a core they take together
//   (printed with the usual prefixes: 3.8m is 0.0038 of a core).
#include "analysis/SignalMeter.h"
#include "analysis/Spectrum.h"
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "console/instruments/ChannelSamples.h"
#include "console/instruments/MeasurementForm.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/SpectrumRun.h"
#include "console/instruments/XYForm.h"
#include "console/plotfeed/PlotFeed.h"

#include <QSpinBox>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{

constexpr double Rate = 10'000; // points a second

double Sample(int i)
{
    // Whole numbers, as a device sends them: a 50 Hz sine on an offset, with a little ripple.
    const double t = i / Rate;
    return std::round(
        512 + 400 * std::sin(2 * std::numbers::pi * 50 * t) + 20 * std::sin(2 * std::numbers::pi * 1230 * t));
}

struct TBenchChart {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };

    TBenchChart(int points, int channels = 1)
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
        while (Plot.Master().Channels().Count() < channels)
            Plot.Master().Channels().Add<TPlotChannel>();
        for (int c = 0; c < channels; ++c) {
            TPlotChannel &channel = *Plot.Channel(c);
            channel.SetRingBufferSize(0);
            for (int i = 0; i < points; ++i)
                channel.AddPoint(i / Rate, Sample(i + 25 * c));
        }
        Plot.XAxis(0)->SetTrackingEnabled(false);
        Plot.XAxis(0)->SetMinSpan(0, points / Rate);
    }
};

const TWindowKind Kinds[]
    = { TWindowKind::Hann, TWindowKind::Rectangular, TWindowKind::Hamming, TWindowKind::BlackmanHarris };
const char *const KindNames[] = { "Hann", "rectangular", "Hamming", "Blackman-Harris" };

void BM_Spectrum65536(benchmark::State &state)
{
    const TWindowKind kind = Kinds[state.range(0)];
    state.SetLabel(KindNames[state.range(0)]);
    std::vector<double> samples(65536);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = Sample(int(i));
    TSpectrum spectrum(65536);
    std::vector<double> magnitudes;
    for (auto _ : state) {
        spectrum.Compute(samples, kind, magnitudes);
        benchmark::DoNotOptimize(magnitudes.data());
    }
}
BENCHMARK(BM_Spectrum65536)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_SpectrumOfAChannel65536(benchmark::State &state)
{
    TBenchChart chart(1'000'000);
    TSpectrumRun run;
    const TSpectrumChoice choice { .Points = 65536 };
    for (auto _ : state) {
        TSpectrumPicture picture = run.Compute(*chart.Plot.Channel(0), choice);
        benchmark::DoNotOptimize(picture.Values.data());
        if (std::abs(picture.Peak.Frequency - 50) > 0.5)
            state.SkipWithError("the peak is not at 50 Hz");
    }
}
BENCHMARK(BM_SpectrumOfAChannel65536)->Unit(benchmark::kMillisecond);

void BM_MeasureVisibleChannel1M(benchmark::State &state)
{
    TBenchChart chart(int(state.range(0)));
    const TPlotChannel &channel = *chart.Plot.Channel(0);
    const TPlotXAxis &axis = *chart.Plot.XAxis(0);
    TChannelMeter meter;
    for (auto _ : state) {
        TSignalMeasurements m = meter.Measure(channel, axis.Min(), axis.Max());
        benchmark::DoNotOptimize(m);
        if (m.Count != state.range(0) || !m.Frequency || std::abs(*m.Frequency - 50) > 0.25)
            state.SkipWithError("the measurements do not read the 50 Hz sine");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MeasureVisibleChannel1M)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_MeasureArrays1M(benchmark::State &state)
{
    std::vector<double> x(1'000'000), y(1'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        x[std::size_t(i)] = i / Rate;
        y[std::size_t(i)] = Sample(i);
    }
    for (auto _ : state) {
        TSignalMeasurements m = MeasureSignal(x, y);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_MeasureArrays1M)->Unit(benchmark::kMillisecond);

void BM_XYPairs1M(benchmark::State &state)
{
    TBenchChart chart(1'000'000, 2);
    std::vector<double> xs, ys;
    for (auto _ : state) {
        NewestPairs(*chart.Plot.Channel(0), *chart.Plot.Channel(1), 1'000'000, xs, ys);
        benchmark::DoNotOptimize(xs.data());
        if (xs.size() != 1'000'000)
            state.SkipWithError("not every line paired");
    }
}
BENCHMARK(BM_XYPairs1M)->Unit(benchmark::kMillisecond);

void BM_XYWindowOfAMillionPairs(benchmark::State &state)
{
    TBenchChart chart(1'000'000, 2);
    TXYForm xy(chart.Plot, nullptr);
    xy.resize(560, 520);
    xy.Pairs()->setValue(1'000'000);
    const bool paint = state.range(0);
    state.SetLabel(paint ? "pairing, filling the chart and painting it" : "pairing and filling the chart");
    for (auto _ : state) {
        chart.Plot.Channel(0)->AddPoint(2e6, 0); // a new line, so that the window reads the pairs again
        chart.Plot.Channel(1)->AddPoint(2e6, 0);
        xy.Refresh();
        if (paint)
            benchmark::DoNotOptimize(xy.Plot().RenderImage());
    }
}
BENCHMARK(BM_XYWindowOfAMillionPairs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_InstrumentsAt10000LinesASecond(benchmark::State &state)
{
    constexpr int Channels = 8, LinesPerRefresh = 1000; // 100 ms of lines
    TBenchChart chart(100'000, Channels);
    chart.Plot.XAxis(0)->SetMinSpan(9, 1);
    TMeasurementForm measurements(chart.Plot, nullptr);
    TSpectrumForm spectrum(chart.Plot, nullptr);
    TXYForm xy(chart.Plot, nullptr);
    int next = 100'000;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < LinesPerRefresh; ++i, ++next)
            for (int c = 0; c < Channels; ++c)
                chart.Plot.Channel(c)->AddPoint(next / Rate, Sample(next + 25 * c));
        chart.Plot.XAxis(0)->SetMinSpan(next / Rate - 1, 1);
        state.ResumeTiming();
        measurements.Refresh();
        spectrum.Refresh();
        xy.Refresh();
    }
    if (measurements.RowCount() != Channels || measurements.Text(0, 6) != "10000")
        state.SkipWithError("the measurements did not read the view");
    state.counters["share_of_a_core"] = benchmark::Counter(
        double(state.iterations()) * 0.1, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_InstrumentsAt10000LinesASecond)->Unit(benchmark::kMillisecond);

} // namespace
