// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotLayout.h"
#include "chart/PlotMeasure.h"

#include <vector>

class TPlotLayoutObject;
class TPlotMasterManager;

// The frame the chart is laid out in: the canvas size and the component's layout settings.
struct TPlotLayoutFrame {
    int Width = 0;
    int Height = 0;
    int Border = 0;
    int OuterMarginLeft = 5;
    int OuterMarginTop = 5;
    int OuterMarginRight = 5;
    int OuterMarginBottom = 5;
    int DataViewZHorz = 1;
    int DataViewZVert = 1;
    bool ToolBarsShown = true; // pictures for the clipboard, files and the printer leave the toolbars out
};

// Lays the chart's visible band objects out around the data view (see ComputePlotLayout) and hands each its band,
// each axis its scale extent and each data view the plot area.
class TPlotLayoutManager
{
public:
    explicit TPlotLayoutManager(TPlotMasterManager &master)
        : FMaster(master)
    {
    }

    void Run(const TPlotMeasure &measure, const TPlotLayoutFrame &frame);

    const TPlotRect &DataViewRect() const { return FDataViewRect; }
    // The objects placed by the last run, in the order of the chart's objects.
    const std::vector<TPlotLayoutObject *> &Placed() const { return FPlaced; }
    bool IsPlaced(const TPlotLayoutObject *object) const;

private:
    TPlotMasterManager &FMaster;
    TPlotRect FDataViewRect;
    std::vector<TPlotLayoutObject *> FPlaced;
};
