// SPDX-License-Identifier: GPL-3.0-or-later
// chart_bench: the strip chart's costs. AddPoint per point (with both axes tracking, as the plot feed adds points),
// the store's memory per point, and one paint of the main window's chart (860 x 382, a 10-second window of points
// 10 ms apart) with 1 000, 1 000 000 and 10 000 000 points stored: the paint should cost the same whatever lies
// outside the window. BM_PaintSerialRate paints the 1-second window the main window shows, filled at a serial rate
// (13 000 integer lines a second, about 92 KB/s): every point in it is visited for every frame.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotXAxis.h"
#include "tests/bench/BenchSupport.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace
{

constexpr double Step = 0.01; // the plot feed's pace: one point every 10 ms

struct TBenchChart {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    double FStep; // seconds between two points

    explicit TBenchChart(double span, double step = Step)
        : FStep(step)
    {
        LoadStripChartDescription(Plot);
        Plot.SetTitleVisible(false);
        Plot.XAxis(0)->SetSpan(span);
        Plot.resize(860, 382);
    }

    TPlotChannel &Channel() { return *Plot.Channel(0); }

    void Fill(long long count)
    {
        TPlotChannel &channel = Channel();
        for (long long i = channel.Count(); i < count; ++i)
            channel.AddPoint(i * FStep, Sample(i));
    }

    // A waveform of whole numbers, as a device sends them; tabulated so that the benchmark times the chart.
    static double Sample(long long i)
    {
        static const std::vector<double> table = [] {
            std::vector<double> values(4096);
            for (std::size_t k = 0; k < values.size(); ++k)
                values[k] = std::round(1000 * std::sin(k / 150.0) + 100 * std::sin(k / 7.0));
            return values;
        }();
        return table[static_cast<std::size_t>(i) & (table.size() - 1)];
    }
};

void BM_AddPoint(benchmark::State &state)
{
    TBenchChart chart(1);
    TPlotChannel &channel = chart.Channel();
    long long i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(channel.AddPoint(i * Step, TBenchChart::Sample(i)));
        if (++i == 20'000'000) {
            state.PauseTiming();
            channel.Clear();
            i = 0;
            state.ResumeTiming();
        }
    }
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddPoint);

void BM_StoreMemory(benchmark::State &state)
{
    const long long points = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto chart = std::make_unique<TBenchChart>(10);
        long before = ResidentBytes();
        state.ResumeTiming();
        chart->Fill(points);
        state.PauseTiming();
        long after = ResidentBytes();
        const auto &store = static_cast<const TPlotDataNullList &>(chart->Channel().Data());
        state.counters["store_bytes_per_point"] = static_cast<double>(store.MemoryBytes()) / points;
        state.counters["resident_bytes_per_point"] = static_cast<double>(after - before) / points;
        state.counters["capacity"] = store.Capacity();
        chart.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StoreMemory)->Arg(1'000'000)->Arg(10'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// One chart per stored count, filled once and kept for every run of that size.
TBenchChart &FilledChart(long long points)
{
    static std::map<long long, std::unique_ptr<TBenchChart>> charts;
    auto &chart = charts[points];
    if (!chart) {
        charts.clear(); // keep only one large store at a time
        auto fresh = std::make_unique<TBenchChart>(10);
        fresh->Fill(points);
        return *(charts[points] = std::move(fresh));
    }
    return *chart;
}

// Renders the chart once per run, as a paint of the main window's chart does, and counts the points in its window.
void PaintRuns(benchmark::State &state, TBenchChart &chart)
{
    QImage image(860, 382, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        chart.Plot.Render(painter, image.size(), true);
    }
    const TPlotChannel &channel = chart.Channel();
    state.counters["points_drawn"] = channel.LastVisibleIndex() - channel.FirstVisibleIndex() + 1;
}

void BM_Paint(benchmark::State &state)
{
    PaintRuns(state, FilledChart(state.range(0)));
}
BENCHMARK(BM_Paint)->Arg(1'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_PaintSerialRate(benchmark::State &state)
{
    constexpr double LinesPerSecond = 13'000;
    TBenchChart chart(1, 1 / LinesPerSecond);
    chart.Fill(static_cast<long long>(10 * LinesPerSecond));
    PaintRuns(state, chart);
}
BENCHMARK(BM_PaintSerialRate)->Unit(benchmark::kMicrosecond);

} // namespace
