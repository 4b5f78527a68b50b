// SPDX-License-Identifier: GPL-3.0-or-later
// bench_receive_path: what one received line costs on its way from a block of the serial component to a chart point:
// the receive pipeline (lines continued across blocks in the panes' log and the PlotQueue, each line dated by its run)
// and the plot feed (parse and store). Blocks of 2048 bytes of 7-byte integer lines, cut wherever 2048 falls, as a
// flood arrives; one run per block, or one run per line as a slow device's bytes arrive. Reported per line.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/plotfeed/ReceivePipeline.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceiveText.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace
{

void BM_ReceivePathPerLine(benchmark::State &state)
{
    const bool runPerLine = state.range(0) != 0;
    std::string stream;
    for (int i = 0; stream.size() < (std::size_t(1) << 20); ++i)
        stream += std::to_string(10000 + (i * 7919) % 90000) + "\r\n";
    const std::size_t linesInStream = stream.size() / 7;

    TPlotManualClock clock;
    TPlot plot { nullptr, &clock };
    LoadStripChartDescription(plot);
    TPlotFeed::SetUpChart(plot);
    auto log = std::make_shared<TReceiveLog>();
    TReceiveText pane(log);
    TPlotQueue queue;
    TReceiveCapture capture;
    TPlotFeed feed(queue, plot);
    TReceivePipeline pipeline(*log, queue, capture, [&feed] { feed.Step(); });
    std::vector<TReadRun> runs;
    int64_t now = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 2048) {
            const std::string_view block = std::string_view(stream).substr(at, 2048);
            runs.clear();
            if (runPerLine) {
                for (std::size_t end = 7 - at % 7; end < block.size(); end += 7)
                    runs.push_back({ static_cast<uint32_t>(end), now += 1000 });
            }
            runs.push_back({ static_cast<uint32_t>(block.size()), now += 1000 });
            pipeline.TakeChunk(block, runs);
            while (!queue.Empty())
                feed.TakeLine();
        }
        pane.Clear(); // a pane cleared now and then keeps the log's memory bounded over a long run
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * linesInStream));
    state.counters["ns_per_line"] = benchmark::Counter(static_cast<double>(state.iterations() * linesInStream),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReceivePathPerLine)->Arg(0)->Arg(1)->ArgName("run_per_line")->Unit(benchmark::kMillisecond);

} // namespace
