#pragma once

#include <functional>
#include <string_view>

class TPlot;
class TPlotQueue;

// The plot feed: each step takes at most one line from the top of the PlotQueue and, when it reads as a whole number
// (ParseInteger), adds it to the chart's first channel at the seconds elapsed since the channel's start. Lines of 4
// bytes or fewer are dropped unread; lines that do not convert, and lines the chart refuses, are dropped without a
// word. Every step removes the line it looked at, so the feed never stalls on a bad line.
class TPlotFeed
{
public:
    enum class TStepResult {
        Idle, // the queue was empty
        Dropped, // a line of 4 bytes or fewer
        Rejected, // not a whole number
        Plotted,
        ChartFailed, // the chart refused the point (for example its store is full)
    };

    // processMessages lets the user interface handle what is waiting before each point is added (received data,
    // input, painting); by default QCoreApplication::processEvents. Lines appended meanwhile land at the end of the
    // queue, so the line removed at the end of a step is the one it converted.
    TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<void()> processMessages = {});

    // One step; never throws. The caller stops its timer around the step, so steps never nest.
    TStepResult Step() noexcept;

    // The span selector changed: the time axis shows that many seconds. A text that is not a whole number is ignored.
    void SpanSelected(std::string_view text) noexcept;

    // The chart's set-up at the main window's creation: no title, a time axis of 1 second titled "Time (Seconds)".
    static void SetUpChart(TPlot &plot);

private:
    TPlotQueue &FQueue;
    TPlot &FPlot;
    std::function<void()> FProcessMessages;
};
