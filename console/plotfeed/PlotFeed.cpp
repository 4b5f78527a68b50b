// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotXAxis.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/MultiChannelLine.h"
#include "console/plotfeed/PlotQueue.h"
#include "core/ParseInteger.h"

#include <chrono>
#include <cstdint>

namespace
{

// The line without the blanks and tabs around it.
std::string_view Trimmed(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

TPlotFeed::TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<double()> monotonicSeconds, double budgetSeconds)
    : FQueue(queue)
    , FPlot(plot)
    , FMonotonicSeconds(monotonicSeconds ? std::move(monotonicSeconds) : SteadySeconds)
    , FBudgetSeconds(budgetSeconds)
{
}

std::size_t TPlotFeed::Step() noexcept
{
    std::size_t taken = 0;
    try {
        const double deadline = FMonotonicSeconds() + FBudgetSeconds;
        do {
            if (TakeLine() == TStepResult::Idle)
                break;
            ++taken;
        } while (FMonotonicSeconds() < deadline);
    } catch (...) {
        // Only the clock could throw here; the lines taken so far are plotted.
    }
    return taken;
}

TPlotFeed::TStepResult TPlotFeed::TakeLine() noexcept
{
    try {
        if (FQueue.Empty())
            return TStepResult::Idle;
        const std::string_view line = FQueue.FirstLine();
        if (FMultiChannel) {
            const TStepResult result = PlotValues(line);
            FQueue.RemoveFirstLine();
            return result;
        }
        const std::string_view number = Trimmed(line);
        if (number.empty()) {
            FQueue.RemoveFirstLine();
            return TStepResult::Dropped;
        }
        const std::optional<int32_t> value = TryParseInteger(number);
        if (!value) {
            ++FRejectedLines;
            FQueue.RemoveFirstLine();
            return TStepResult::Rejected;
        }
        try {
            FPlot.Channel(0)->AddPoint(FQueue.FirstLineTime(), *value);
        } catch (...) {
            FQueue.RemoveFirstLine();
            return TStepResult::ChartFailed;
        }
        FQueue.RemoveFirstLine();
        return TStepResult::Plotted;
    } catch (...) {
        // Only running out of memory gets here; the line is given up so that the feed goes on.
        FQueue.RemoveFirstLine();
        return TStepResult::ChartFailed;
    }
}

TPlotFeed::TStepResult TPlotFeed::PlotValues(std::string_view line)
{
    if (line.empty())
        return TStepResult::Dropped;
    const std::optional<TLineValues> values = ParseMultiChannelLine(line);
    if (!values) {
        ++FRejectedLines;
        return TStepResult::Rejected;
    }
    const double time = FQueue.FirstLineTime();
    TStepResult result = TStepResult::Plotted;
    for (int k = 0; k < values->Count; ++k) {
        try {
            MultiChannelAt(FPlot, k).AddPoint(time, values->Values[k]);
        } catch (...) {
            result = TStepResult::ChartFailed; // the other channels still take their values
        }
    }
    return result;
}

void TPlotFeed::SetMultiChannel(bool on)
{
    SetMultiChannelChart(FPlot, on);
    FMultiChannel = on;
}

void TPlotFeed::SpanSelected(std::string_view text) noexcept
{
    try {
        FPlot.XAxis(0)->SetSpan(ParseInteger(text));
    } catch (...) {
    }
}

void TPlotFeed::SetUpChart(TPlot &plot)
{
    plot.SetTitleVisible(false);
    plot.XAxis(0)->SetSpan(1);
    plot.XAxis(0)->SetTitle("Time (Seconds)");
    plot.Channel(0)->SetRingBufferSize(MaxPoints);
}
