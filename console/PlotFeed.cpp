#include "console/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotXAxis.h"
#include "console/PlotQueue.h"
#include "core/ParseInteger.h"

#include <QCoreApplication>
#include <cstdint>

namespace
{

// Lines this short are never numbers worth plotting.
constexpr std::size_t MaxDroppedLength = 4;

} // namespace

TPlotFeed::TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<void()> processMessages)
    : FQueue(queue)
    , FPlot(plot)
    , FProcessMessages(processMessages ? std::move(processMessages) : [] { QCoreApplication::processEvents(); })
{
}

TPlotFeed::TStepResult TPlotFeed::Step() noexcept
{
    try {
        if (FQueue.Empty())
            return TStepResult::Idle;
        if (FQueue.FirstLine().size() <= MaxDroppedLength) {
            FQueue.RemoveFirstLine();
            return TStepResult::Dropped;
        }
        // Converted before other handlers run: appends may move the queue's bytes.
        int32_t value = ParseInteger(FQueue.FirstLine());
        FProcessMessages();
        try {
            FPlot.Channel(0)->AddElapsed(static_cast<double>(value));
        } catch (...) {
            FQueue.RemoveFirstLine();
            return TStepResult::ChartFailed;
        }
        FQueue.RemoveFirstLine();
        return TStepResult::Plotted;
    } catch (...) {
        FQueue.RemoveFirstLine();
        return TStepResult::Rejected;
    }
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
}
