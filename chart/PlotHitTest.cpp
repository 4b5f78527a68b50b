// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotHitTest.h"

#include "chart/PlotAxis.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolBar.h"

namespace
{

bool InRect(const TPlotRect &r, const QPoint &p)
{
    return p.x() >= r.Left && p.x() <= r.Right && p.y() >= r.Top && p.y() <= r.Bottom;
}

TPlotLegend *LegendAt(TPlotMasterManager &master, const QPoint &point)
{
    for (int i = 0; i < master.Legends().Count(); ++i) {
        TPlotLegend *legend = master.Legends().Item(i);
        if (legend->Visible() && master.Layout().IsPlaced(legend) && InRect(legend->Band(), point))
            return legend;
    }
    return nullptr;
}

TPlotDataCursor *DataCursorAt(TPlotMasterManager &master, const QPoint &point)
{
    for (int i = 0; i < master.DataCursors().Count(); ++i)
        if (master.DataCursors().Item(i)->HitTest(point))
            return master.DataCursors().Item(i);
    return nullptr;
}

} // namespace

TPlotToolBar *PlotToolBarAt(TPlotMasterManager &master, const QPoint &point, int &buttonIndex)
{
    for (int i = 0; i < master.ToolBars().Count(); ++i) {
        TPlotToolBar *toolBar = master.ToolBars().Item(i);
        if (!toolBar->Visible() || !master.Layout().IsPlaced(toolBar))
            continue;
        for (const TPlotToolBarButton &button : toolBar->Buttons())
            if (button.Visible && button.Contains(point)) {
                buttonIndex = button.Index;
                return toolBar;
            }
        if (InRect(toolBar->Band(), point)) {
            buttonIndex = -1;
            return toolBar;
        }
    }
    return nullptr;
}

TPlotAxis *PlotAxisAt(TPlotMasterManager &master, const QPoint &point)
{
    for (TPlotAxis *axis : master.Axes())
        if (axis->Visible() && master.Layout().IsPlaced(axis) && InRect(axis->Band(), point))
            return axis;
    return nullptr;
}

TPlotHit PlotHitAt(TPlotMasterManager &master, const QPoint &point)
{
    int button = -1;
    if (TPlotToolBar *toolBar = PlotToolBarAt(master, point, button))
        return TPlotHit { phkToolBar, toolBar, button };
    if (TPlotDataCursor *cursor = DataCursorAt(master, point))
        return TPlotHit { phkDataCursor, cursor };
    if (TPlotLegend *legend = LegendAt(master, point))
        return TPlotHit { phkLegend, legend };
    if (TPlotAxis *axis = PlotAxisAt(master, point))
        return TPlotHit { phkAxis, axis };
    if (InRect(master.Layout().DataViewRect(), point))
        return TPlotHit { phkDataView, master.DataViews().Count() > 0 ? master.DataViews().Item(0) : nullptr };
    return TPlotHit {};
}

int PlotLegendEntryAt(const TPlotLegend &legend, const TPlotMeasure &measure, const QPoint &point)
{
    int entry = -1;
    const int count = static_cast<int>(legend.Entries().size());
    for (int e = 0; e < count; ++e)
        if (InRect(legend.EntryRect(measure, e), point))
            entry = e;
    return entry;
}

TPlotHintTarget PlotHintAt(TPlotMasterManager &master, const QPoint &point)
{
    TPlotHintTarget target;
    int buttonIndex = -1;
    if (TPlotToolBar *toolBar = PlotToolBarAt(master, point, buttonIndex)) {
        if (buttonIndex >= 0) {
            const TPlotToolBarButton &button = toolBar->Button(buttonIndex);
            target.Object = toolBar;
            target.Button = buttonIndex;
            target.Text = button.Hint;
            target.Point = QPoint(button.Rect().Left, button.Rect().Bottom + 3);
        }
        return target;
    }
    if (TPlotAxis *axis = PlotAxisAt(master, point)) {
        if (!axis->TitleShow() && !axis->Title().isEmpty()) {
            target.Object = axis;
            target.Text = axis->Title();
            target.Point = QPoint(point.x(), point.y() - 20);
        }
    }
    return target;
}
