// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotYAutoFit.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDataSearch.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr uint16_t Skipped = PlotPointFlags::Null | PlotPointFlags::Empty;

} // namespace

std::optional<TPlotRange> FitRangeToData(const TPlotRange &shown, double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high) || high < low)
        return std::nullopt;
    const double extent = high - low;
    if (extent > 0 && low >= shown.Min && high <= shown.Min + shown.Span && extent >= AutoFitMinFill * shown.Span)
        return std::nullopt;
    TPlotRange fitted;
    if (extent > 0) {
        fitted.Min = low - AutoFitMargin * extent;
        fitted.Span = extent * (1 + 2 * AutoFitMargin);
    } else {
        fitted.Span = low == 0 ? 1.0 : std::abs(low) / 10;
        fitted.Min = low - fitted.Span / 2;
    }
    if (fitted == shown)
        return std::nullopt;
    return fitted;
}

bool ChannelValueRange(const TPlotChannelCustom &channel, double xMin, double xMax, double &low, double &high)
{
    const TPlotDataCustomList &data = channel.Data();
    const int first = FirstAtOrAfter(data, xMin);
    const int last = FirstAfter(data, xMax) - 1;
    if (first > last)
        return false;
    double lowest = INFINITY, highest = -INFINITY;
    auto visit = [&](double, double y, uint16_t flags) {
        if (!(flags & Skipped) && std::isfinite(y)) {
            lowest = std::min(lowest, y);
            highest = std::max(highest, y);
        }
    };
    if (const auto *store = dynamic_cast<const TPlotDataNullList *>(&data)) {
        // Whole blocks by their summaries: the cost follows the blocks in view, not the points.
        store->ForEachBlock(
            first, last, visit, [&](const TPlotDataNullList::TBlockSummary &block, double, double, double) {
                if (!std::isfinite(block.YMin) || !std::isfinite(block.YMax) || block.YMin > block.YMax)
                    return false;
                lowest = std::min(lowest, block.YMin);
                highest = std::max(highest, block.YMax);
                return true;
            });
    } else {
        for (int i = first; i <= last; ++i)
            visit(data.X(i), data.Y(i), data.Flags(i));
    }
    if (!(lowest <= highest))
        return false;
    low = lowest;
    high = highest;
    return true;
}

bool FitValueAxesToData(TPlotMasterManager &master)
{
    bool moved = false;
    auto &channels = master.Channels();
    for (int a = 0; a < master.YAxes().Count(); ++a) {
        TPlotYAxis &axis = *master.YAxes().Item(a);
        if (!axis.TrackingEnabled() || axis.TrackingHeld())
            continue;
        double low = INFINITY, high = -INFINITY;
        for (int c = 0; c < channels.Count(); ++c) {
            const TPlotChannelCustom &channel = *channels.Item(c);
            const TPlotXAxis *time = channel.XAxis();
            if (!channel.Visible() || !channel.TraceVisible() || channel.YAxis() != &axis || !time
                || !channel.XOrdered())
                continue;
            double channelLow = 0, channelHigh = 0;
            if (ChannelValueRange(channel, time->Min(), time->Max(), channelLow, channelHigh)) {
                low = std::min(low, channelLow);
                high = std::max(high, channelHigh);
            }
        }
        if (!(low <= high))
            continue;
        if (const std::optional<TPlotRange> fitted = FitRangeToData({ axis.Min(), axis.Span() }, low, high)) {
            axis.SetMinSpan(fitted->Min, fitted->Span);
            moved = true;
        }
    }
    return moved;
}
