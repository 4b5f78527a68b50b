// SPDX-License-Identifier: GPL-3.0-or-later
// bench_trigger: the chart trigger's cost at a high data rate. BM_TriggerScan runs the crossing search alone over a
// store of a noisy 50 Hz sine; BM_TriggerFollowsTheData runs the trigger as the chart does, once a frame (60 a
// second) over the points that arrived since the last frame at 100 000 points a second, with a large store behind
// them. Figures: points searched a second, and the share of one core the trigger takes at 100 000 points a second
// ("core_share"; keeping up means well below 1).
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotTrigger.h"
#include "chart/PlotXAxis.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace
{

constexpr double PointsPerSecond = 100000;
constexpr double FramesPerSecond = 60;

// A 50 Hz sine of amplitude 1000 with a little noise riding on it, as whole numbers like a device sends them.
double Sample(long long i)
{
    const double t = i / PointsPerSecond;
    const double noise = static_cast<double>((i * 7919) % 11) - 5;
    return std::round(1000 * std::sin(2 * std::numbers::pi * 50 * t) + noise);
}

void BM_TriggerScan(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    TPlotDataNullList store;
    for (int i = 0; i < count; ++i)
        store.Add(i / PointsPerSecond, Sample(i), 0);
    long long crossings = 0;
    for (auto _ : state) {
        TTriggerScan scan(TTriggerCondition { 0.0, TTriggerEdge::Rising, 20.0 });
        ScanForTriggers(store, 0, 1e300, scan, [&](double) { ++crossings; });
    }
    benchmark::DoNotOptimize(crossings);
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["points_per_second"]
        = benchmark::Counter(static_cast<double>(state.iterations() * count), benchmark::Counter::kIsRate);
    state.counters["crossings_per_pass"] = static_cast<double>(crossings) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TriggerScan)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_TriggerFollowsTheData(benchmark::State &state)
{
    TPlotManualClock clock;
    TPlot plot { nullptr, &clock };
    LoadStripChartDescription(plot);
    plot.resize(860, 382);
    plot.XAxis(0)->SetSpan(0.1);
    TPlotChannel &channel = *plot.Channel(0);
    long long next = 0;
    const long long stored = state.range(0);
    for (; next < stored; ++next)
        channel.AddPoint(next / PointsPerSecond, Sample(next));
    TPlotTriggerSettings settings;
    settings.Enabled = true;
    settings.Mode = TTriggerMode::Normal;
    plot.Trigger().SetSettings(settings);
    plot.Trigger().Update();

    const long long perFrame = static_cast<long long>(PointsPerSecond / FramesPerSecond);
    for (auto _ : state) {
        state.PauseTiming();
        for (long long end = next + perFrame; next < end; ++next)
            channel.AddPoint(next / PointsPerSecond, Sample(next));
        state.ResumeTiming();
        plot.Trigger().Update();
    }
    if (!plot.Trigger().Hold().Shown())
        state.SkipWithError("no trigger found");
    state.SetItemsProcessed(state.iterations() * perFrame);
    state.counters["points_per_second"]
        = benchmark::Counter(static_cast<double>(state.iterations() * perFrame), benchmark::Counter::kIsRate);
    // Seconds of search per second of data: one frame's cost times the frames of a second.
    state.counters["core_share"] = benchmark::Counter(static_cast<double>(state.iterations()) / FramesPerSecond,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TriggerFollowsTheData)->Arg(100000)->Arg(10000000)->Unit(benchmark::kMicrosecond);

} // namespace
