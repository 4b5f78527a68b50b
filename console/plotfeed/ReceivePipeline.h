// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/plotfeed/FeedSchedule.h"
#include "platform/SerialDevice.h"

#include <functional>
#include <span>
#include <string_view>

class TPlotFeed;
class TPlotQueue;
class TReceiveCapture;
class TReceiveLog;

// The way of received data from the serial component to the chart and the panes, without any window: every received
// block goes, dated, to the receive log that both panes read, to the capture file while one runs, and as text to the
// PlotQueue, whose whole lines the plot feed then takes to the chart on its schedule. While the plot feed reads
// binary frames, the block's bytes go to the feed instead of the PlotQueue.
//
// Each opening of the port starts a new line in all of them (PortOpened).
//
// A block comes with the runs it arrived in, dated on the steady clock; the pipeline puts them on the chart's clock
// (seconds since program start) for the PlotQueue and on the wall clock for the panes' arrival times, so a line
// stands where the run that completed it came, not where the block was handled.
// User-interface thread only.
class TReceivePipeline
{
public:
    // feedStep takes waiting lines to the chart (TPlotFeed::Step).
    TReceivePipeline(TReceiveLog &log, TPlotQueue &queue, TReceiveCapture &capture, std::function<void()> feedStep);

    // The feed that reads bytes itself in binary frame mode, and whose waiting work wakes the schedule.
    void SetPlotFeed(TPlotFeed *feed) { FPlotFeed = feed; }

    // Seconds since program start, now: the chart's clock.
    void SetChartClock(std::function<double()> clock) { FChartClock = std::move(clock); }

    // Takes one received block (zero bytes included). runs date it (TReadRun::End counts the block's bytes); without
    // runs the block arrived now.
    void TakeChunk(std::string_view chunk, std::span<const TReadRun> runs = {});

    // The port was opened (by whatever means): everything that cuts the bytes into lines starts a new line, so the
    // first bytes never continue a line the closing cut. The panes end that line; the PlotQueue drops it and passes
    // over the bytes up to the first line break, which may be the end of a line the device began before the opening;
    // the plot feed forgets a partial frame. Whole lines already waiting for the chart stay.
    void PortOpened();

    // Every chunk on a line of its own, in the panes and on its way to the chart.
    void SetChunkLines(bool on);
    bool ChunkLines() const { return FChunkLines; }

    TFeedSchedule &Feed() { return FFeed; }

private:
    TReceiveLog &FLog;
    TPlotQueue &FQueue;
    TReceiveCapture &FCapture;
    TPlotFeed *FPlotFeed = nullptr;
    std::function<double()> FChartClock;
    TFeedSchedule FFeed;
    bool FChunkLines = false;
};
