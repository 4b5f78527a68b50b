// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLayoutManager.h"

#include "chart/PlotAxis.h"
#include "chart/PlotDataView.h"
#include "chart/PlotMasterManager.h"

#include <algorithm>

void TPlotLayoutManager::Run(const TPlotMeasure &measure, const TPlotLayoutFrame &frame)
{
    TPlotLayoutInput input;
    input.Width = frame.Width;
    input.Height = frame.Height;
    input.Border = frame.Border;
    input.OuterMarginLeft = frame.OuterMarginLeft;
    input.OuterMarginTop = frame.OuterMarginTop;
    input.OuterMarginRight = frame.OuterMarginRight;
    input.OuterMarginBottom = frame.OuterMarginBottom;
    input.DataViewZHorz = frame.DataViewZHorz;
    input.DataViewZVert = frame.DataViewZVert;

    FPlaced.clear();
    for (TPlotObject *object : FMaster.Objects()) {
        auto *layoutObject = dynamic_cast<TPlotLayoutObject *>(object);
        if (!layoutObject || !layoutObject->Visible())
            continue;
        TPlotLayoutKind kind = layoutObject->LayoutKind();
        if (kind == TPlotLayoutKind::DataView || (kind == TPlotLayoutKind::ToolBar && !frame.ToolBarsShown))
            continue;
        TPlotLayoutItem item;
        item.Kind = kind;
        item.Horizontal = layoutObject->IsHorizontal();
        item.ZOrder = layoutObject->ZOrder();
        item.Thickness = layoutObject->Thickness(measure);
        item.Overhang = layoutObject->Overhang(measure);
        item.StartPercent = layoutObject->StartPercent();
        item.StopPercent = layoutObject->StopPercent();
        if (auto *axis = dynamic_cast<TPlotAxis *>(layoutObject)) {
            item.ForceStacking = axis->ForceStacking();
            item.StackingEndsRoom = axis->StackingEndsRoom(measure);
        }
        input.Items.push_back(item);
        FPlaced.push_back(layoutObject);
    }

    TPlotLayoutResult result = ComputePlotLayout(input);
    for (std::size_t i = 0; i < FPlaced.size(); ++i)
        FPlaced[i]->Place(result.Items[i]);
    FDataViewRect = result.DataView;
    auto &dataViews = FMaster.DataViews();
    for (int i = 0; i < dataViews.Count(); ++i)
        dataViews.Item(i)->SetRect(FDataViewRect);
}

bool TPlotLayoutManager::IsPlaced(const TPlotLayoutObject *object) const
{
    return std::find(FPlaced.begin(), FPlaced.end(), object) != FPlaced.end();
}
