// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

class TPlot;
class TPlotQueue;

// The plot feed: takes whole lines from the top of the PlotQueue and, when a line reads as a whole number
// (ParseInteger, blanks and tabs around it ignored), adds it to the chart's first channel at the line's arrival time
// (seconds since program start, from the queue). Empty lines are skipped; lines that do not convert, and lines the
// chart refuses, are dropped without a word. Every line looked at is removed, so the feed never stalls on a bad line.
//
// The channel keeps the newest MaxPoints points, the oldest leaving first, so an endless flood neither exhausts memory
// nor runs into the store's limit.
//
// In multi-channel mode (off by default) a line holds 1 to 8 numbers (ParseMultiChannelLine), whole or decimal, and
// value k goes to channel k (MultiChannelChart), every value of the line at the line's arrival time. Empty lines are
// skipped; there is no minimum length, so "1,2" is plotted.
class TPlotFeed
{
public:
    enum class TStepResult {
        Idle, // the queue was empty
        Dropped, // an empty line (or only blanks)
        Rejected, // not a whole number (multi-channel mode: not 1 to 8 numbers)
        Plotted,
        ChartFailed, // the chart refused the point (for example its store is full)
    };

    static constexpr int MaxPoints = 20'000'000;
    // Time a step may spend before it hands the thread back to the event loop.
    static constexpr double DefaultBudgetSeconds = 0.004;

    // monotonicSeconds paces the step's budget; by default the machine's steady clock.
    TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<double()> monotonicSeconds = {},
        double budgetSeconds = DefaultBudgetSeconds);

    // One step of the plot timer: takes every waiting line until the queue is empty or the budget is spent (at least
    // one line), so the chart keeps up with any line rate while input and painting still get their turn between
    // steps. Returns the number of lines taken. Never throws; the caller stops its timer around the step.
    std::size_t Step() noexcept;

    // Takes one line; never throws.
    TStepResult TakeLine() noexcept;

    // Switches multi-channel mode and sets the chart's channels up for it (SetMultiChannelChart).
    void SetMultiChannel(bool on);
    bool MultiChannel() const { return FMultiChannel; }
    // Lines that did not read as numbers, since the feed was made.
    uint64_t RejectedLines() const { return FRejectedLines; }

    // The span selector changed: the time axis shows that many seconds. A text that is not a whole number is ignored.
    void SpanSelected(std::string_view text) noexcept;

    // The chart's set-up at the main window's creation: no title, a time axis of 1 second titled "Time (Seconds)",
    // and a channel that keeps the newest MaxPoints points.
    static void SetUpChart(TPlot &plot);

private:
    TStepResult PlotValues(std::string_view line);

    TPlotQueue &FQueue;
    TPlot &FPlot;
    std::function<double()> FMonotonicSeconds;
    double FBudgetSeconds;
    bool FMultiChannel = false;
    uint64_t FRejectedLines = 0;
};
