// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/ReceivePipeline.h"

#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/receive/ReceiveCapture.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivedChunk.h"

#include <chrono>
#include <vector>

namespace
{

template <typename Clock> double SecondsOf(typename Clock::time_point time)
{
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

} // namespace

TReceivePipeline::TReceivePipeline(
    TReceiveLog &log, TPlotQueue &queue, TReceiveCapture &capture, std::function<void()> feedStep)
    : FLog(log)
    , FQueue(queue)
    , FCapture(capture)
    , FFeed([this] { return FPlotFeed ? FPlotFeed->HasWork() : !FQueue.Empty(); }, std::move(feedStep))
{
}

void TReceivePipeline::SetChunkLines(bool on)
{
    FChunkLines = on;
    FLog.SetChunkLines(on);
    FQueue.SetChunkLines(on);
}

void TReceivePipeline::PortOpened()
{
    FLog.PortOpened();
    FQueue.PortOpened();
    if (FPlotFeed)
        FPlotFeed->PortOpened();
}

void TReceivePipeline::TakeChunk(std::string_view chunk, std::span<const TReadRun> runs)
{
    try {
        // How long ago each run came, read once against every clock, so that all sinks date a line alike.
        const double steadyNow = SecondsOf<std::chrono::steady_clock>(std::chrono::steady_clock::now());
        const double wallNow = FLog.NowSeconds();
        const double chartNow = FChartClock ? FChartClock() : 0;
        std::vector<TTimedRun> wall;
        std::vector<TTimedRun> chart;
        for (const TReadRun &run : runs) {
            const double ago = std::max(0.0, steadyNow - static_cast<double>(run.SteadyNs) * 1e-9);
            wall.push_back({ run.End, wallNow - ago });
            chart.push_back({ run.End, chartNow - ago });
        }
        if (runs.empty()) {
            wall.push_back({ chunk.size(), wallNow });
            chart.push_back({ chunk.size(), chartNow });
        }
        FLog.AppendChunk(chunk, wall);
        if (FPlotFeed && FPlotFeed->ReadsBytes())
            FPlotFeed->TakeBytes(chunk, chart, chartNow);
        else
            FQueue.AppendChunk(ReceivedChunkText(chunk.data(), chunk.size()), chart);
    } catch (...) {
        // Out of memory: the sinks not yet reached miss this block, and receiving goes on.
    }
    if (FCapture.Active())
        FCapture.Append(chunk);
    FFeed.Wake();
}
