// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace
{

struct TRow {
    int Thickness = 0;
    int Offset = 0; // distance of the row's inner edge from the data view
    int Members = 0;
};

int Percent(double percent, int length)
{
    return static_cast<int>(std::nearbyint(percent / 100.0 * length));
}

TPlotSide SideOf(const TPlotLayoutItem &item, const TPlotLayoutInput &input)
{
    if (item.Kind == TPlotLayoutKind::ToolBar)
        return TPlotSide::Top; // a toolbar always heads the chart
    if (item.Horizontal)
        return item.ZOrder > input.DataViewZHorz ? TPlotSide::Top : TPlotSide::Bottom;
    return item.ZOrder > input.DataViewZVert ? TPlotSide::Right : TPlotSide::Left;
}

} // namespace

TPlotLayoutResult ComputePlotLayout(const TPlotLayoutInput &input)
{
    TPlotLayoutResult result;
    const std::size_t count = input.Items.size();
    result.Items.resize(count);

    // Rows per side, keyed by ZOrder. Above and right of the data view the row nearest to it has the lowest ZOrder;
    // below and left of it, the highest.
    std::map<TPlotSide, std::map<int, TRow>> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const TPlotLayoutItem &item = input.Items[i];
        TPlotSide side = SideOf(item, input);
        result.Items[i].Side = side;
        TRow &row = rows[side][item.ZOrder];
        row.Thickness = std::max(row.Thickness, item.Thickness);
        ++row.Members;
    }
    std::map<TPlotSide, int> total;
    for (auto &[side, sideRows] : rows) {
        int offset = 0;
        auto stack = [&](TRow &row) {
            row.Offset = offset;
            offset += row.Thickness;
        };
        if (side == TPlotSide::Top || side == TPlotSide::Right) {
            for (auto it = sideRows.begin(); it != sideRows.end(); ++it)
                stack(it->second);
        } else {
            for (auto it = sideRows.rbegin(); it != sideRows.rend(); ++it)
                stack(it->second);
        }
        total[side] = offset;
    }

    int overhangTopBottom = 0;
    int overhangLeftRight = 0;
    int topCount = 0;
    bool topIsToolBar = false;
    for (std::size_t i = 0; i < count; ++i) {
        TPlotSide side = result.Items[i].Side;
        if (side == TPlotSide::Top || side == TPlotSide::Bottom)
            overhangTopBottom = std::max(overhangTopBottom, input.Items[i].Overhang);
        else
            overhangLeftRight = std::max(overhangLeftRight, input.Items[i].Overhang);
        if (side == TPlotSide::Top) {
            ++topCount;
            topIsToolBar = input.Items[i].Kind == TPlotLayoutKind::ToolBar;
        }
    }

    const int b = input.Border;
    TPlotRect &dv = result.DataView;
    dv.Left = input.OuterMarginLeft + b + std::max(total[TPlotSide::Left], overhangTopBottom);
    dv.Right = input.Width - (b + std::max(total[TPlotSide::Right], overhangTopBottom) + input.OuterMarginRight + 1);
    dv.Bottom
        = input.Height - (b + std::max(total[TPlotSide::Bottom], overhangLeftRight) + input.OuterMarginBottom + 1);
    dv.Top = b + std::max(total[TPlotSide::Top], overhangLeftRight) + input.OuterMarginTop;
    // Under a lone toolbar the vertical axes' top label needs its overhang below the toolbar as well.
    if (topCount == 1 && topIsToolBar)
        dv.Top += overhangLeftRight;

    for (std::size_t i = 0; i < count; ++i) {
        const TPlotLayoutItem &item = input.Items[i];
        TPlotLayoutPlacement &place = result.Items[i];
        const TRow &row = rows[place.Side][item.ZOrder];
        TPlotRect &band = place.Band;

        switch (place.Side) {
        case TPlotSide::Left:
            band.Right = dv.Left - row.Offset;
            band.Left = band.Right - row.Thickness;
            break;
        case TPlotSide::Right:
            band.Left = dv.Right + row.Offset;
            band.Right = band.Left + row.Thickness;
            break;
        case TPlotSide::Bottom:
            band.Top = dv.Bottom + row.Offset;
            band.Bottom = band.Top + row.Thickness;
            break;
        case TPlotSide::Top:
        case TPlotSide::None:
            band.Bottom = dv.Top - row.Offset;
            band.Top = band.Bottom - row.Thickness;
            break;
        }

        if (item.Kind == TPlotLayoutKind::ToolBar) {
            int width = input.Width - 2 * b;
            band.Top = b;
            band.Bottom = b + item.Thickness;
            band.Left = b + Percent(item.StartPercent, width);
            band.Right = b + Percent(item.StopPercent, width) - 1;
        } else if (item.Kind == TPlotLayoutKind::Label) {
            if (item.Horizontal) {
                int width = input.Width - input.OuterMarginLeft - input.OuterMarginRight;
                band.Left = input.OuterMarginLeft + Percent(item.StartPercent, width);
                band.Right = input.OuterMarginLeft + Percent(item.StopPercent, width);
            } else {
                int height = input.Height - input.OuterMarginTop - input.OuterMarginBottom;
                band.Bottom = input.Height - input.OuterMarginBottom - Percent(item.StartPercent, height);
                band.Top = input.Height - input.OuterMarginBottom - Percent(item.StopPercent, height);
            }
        } else if (item.Horizontal) {
            band.Left = dv.Left + Percent(item.StartPercent, dv.Width());
            band.Right = dv.Left + Percent(item.StopPercent, dv.Width());
        } else {
            band.Bottom = dv.Bottom - Percent(item.StartPercent, dv.Height());
            band.Top = dv.Bottom - Percent(item.StopPercent, dv.Height());
        }

        if (item.Kind == TPlotLayoutKind::Axis) {
            place.Stacked = row.Members > 1 || item.ForceStacking;
            int room = place.Stacked ? item.StackingEndsRoom : 0;
            place.ExtentLow = (item.Horizontal ? band.Left : band.Top) + room;
            place.ExtentHigh = (item.Horizontal ? band.Right : band.Bottom) - room;
        }
    }

    // The data view is the union of the axes' scale extents: left and right from the horizontal axes, top and
    // bottom from the vertical ones.
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    for (std::size_t i = 0; i < count; ++i) {
        if (input.Items[i].Kind != TPlotLayoutKind::Axis)
            continue;
        const TPlotLayoutPlacement &place = result.Items[i];
        if (input.Items[i].Horizontal) {
            left = std::min(left, place.ExtentLow);
            right = std::max(right, place.ExtentHigh);
        } else {
            top = std::min(top, place.ExtentLow);
            bottom = std::max(bottom, place.ExtentHigh);
        }
    }
    if (left != INT_MAX) {
        dv.Left = left;
        dv.Right = right;
    }
    if (top != INT_MAX) {
        dv.Top = top;
        dv.Bottom = bottom;
    }
    return result;
}
