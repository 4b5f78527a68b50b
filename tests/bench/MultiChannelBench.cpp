// SPDX-License-Identifier: GPL-3.0-or-later
// bench_multichannel: the costs of multi-channel mode and of the CSV export.
// - Feed: lines of eight values through the PlotQueue and the plot feed into eight channels (parse, store, track);
//   the mark is 1 000 000 values a second. AddPoint alone over eight channels for comparison.
// - Paint: the main window's chart (860 x 382, a 10-second window of points 10 ms apart) with eight channels of
//   1 000 000 points each.
// - Export: 10 000 000 stored points as one channel and as eight, written to a CSV file; the mark is under 5 s.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotCsvExport.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <string>

namespace
{

constexpr double Step = 0.01; // one line every 10 ms

struct TBenchChart {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };

    explicit TBenchChart(double span = 1)
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
        Plot.XAxis(0)->SetSpan(span);
        Plot.resize(860, 382);
    }

    // `lines` lines of `channels` values each, every channel a different waveform.
    void Fill(int channels, long long lines)
    {
        Plot.Channel(0)->SetTitleText(MultiChannelTitle(0));
        for (int k = 0; k < channels; ++k) {
            TPlotChannel &channel = MultiChannelAt(Plot, k);
            channel.SetRingBufferSize(0);
            for (long long i = 0; i < lines; ++i)
                channel.AddPoint(i * Step, std::round(1000 * std::sin(i / (150.0 + 20 * k))));
        }
    }
};

// Lines as a device prints them: eight values of mixed form.
std::string EightValueChunk(int lines, int seed)
{
    std::string chunk;
    for (int i = 0; i < lines; ++i) {
        const int v = (seed + i) % 2000 - 1000;
        chunk += std::to_string(v) + ',' + std::to_string(v / 4) + ".25," + std::to_string(-v) + ",0x1F,"
            + std::to_string(v * 3) + ",12.5,-0.5," + std::to_string(v % 97) + "\r\n";
    }
    return chunk;
}

void BM_FeedEightChannels(benchmark::State &state)
{
    constexpr int LinesPerChunk = 1000;
    auto chart = std::make_unique<TBenchChart>();
    TPlotQueue queue;
    TPlotFeed feed(queue, chart->Plot, {}, 1e9);
    feed.SetMultiChannel(true);
    const std::string chunk = EightValueChunk(LinesPerChunk, 0);
    double arrival = 0;
    long long values = 0;
    for (auto _ : state) {
        queue.AppendChunk(chunk, arrival += LinesPerChunk * 1e-4);
        feed.Step();
        values += 8 * LinesPerChunk;
        if (chart->Plot.Channel(7)->Count() > 2'000'000) { // keep the stores below their ring sizes
            state.PauseTiming();
            for (int k = 0; k < 8; ++k)
                chart->Plot.Channel(k)->Clear();
            state.ResumeTiming();
        }
    }
    state.counters["values_per_second"] = benchmark::Counter(double(values), benchmark::Counter::kIsRate);
    state.counters["rejected"] = double(feed.RejectedLines());
}
BENCHMARK(BM_FeedEightChannels)->Unit(benchmark::kMillisecond);

void BM_AddPointEightChannels(benchmark::State &state)
{
    TBenchChart chart;
    TPlotChannel *channels[8];
    for (int k = 0; k < 8; ++k)
        channels[k] = &MultiChannelAt(chart.Plot, k);
    long long i = 0;
    for (auto _ : state) {
        const double x = i * 1e-4;
        for (int k = 0; k < 8; ++k)
            benchmark::DoNotOptimize(channels[k]->AddPoint(x, double((i * (k + 1)) % 1000)));
        if (++i == 2'000'000) {
            state.PauseTiming();
            for (TPlotChannel *channel : channels)
                channel->Clear();
            i = 0;
            state.ResumeTiming();
        }
    }
    state.counters["values_per_second"] = benchmark::Counter(8.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AddPointEightChannels);

void BM_PaintEightChannels(benchmark::State &state)
{
    TBenchChart chart(10);
    chart.Fill(8, state.range(0));
    chart.Plot.XAxis(0)->SetMinSpan((state.range(0) - 1) * Step - 10, 10);
    chart.Plot.XAxis(0)->SetTrackingEnabled(false);
    QImage image(860, 382, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        chart.Plot.Render(painter, image.size(), true);
    }
    state.counters["points_stored"] = 8.0 * state.range(0);
}
BENCHMARK(BM_PaintEightChannels)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

void BM_CsvExport(benchmark::State &state)
{
    const int channels = int(state.range(0));
    const long long total = 10'000'000;
    TBenchChart chart;
    chart.Fill(channels, total / channels);
    std::vector<const TPlotChannelCustom *> list;
    std::vector<QString> names;
    for (int k = 0; k < channels; ++k) {
        list.push_back(chart.Plot.Channel(k));
        names.push_back(MultiChannelTitle(k));
    }
    QTemporaryDir folder;
    const QString path = folder.filePath("data.csv");
    for (auto _ : state) {
        TPlotCsvExport writer(list, names, path);
        writer.Open();
        while (!writer.Done())
            writer.WriteSome(200'000);
        if (!writer.Commit())
            state.SkipWithError("the export failed");
    }
    state.counters["points_per_second"]
        = benchmark::Counter(double(total) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["file_bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_CsvExport)->Arg(1)->Arg(8)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
