// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <vector>

// The chart's layout as a pure function from sizes to rectangles, so that the screen, picture files and the printer
// share it. Bands (toolbar, axes, legend, labels) are placed around the data view on four sides.

enum class TPlotLayoutKind { ToolBar, Axis, Legend, Label, DataView };

struct TPlotLayoutItem {
    TPlotLayoutKind Kind = TPlotLayoutKind::Axis;
    bool Horizontal = true;
    int ZOrder = 0;
    int Thickness = 0; // band width across the band
    int Overhang = 0; // how far the content reaches past the band's ends
    double StartPercent = 0;
    double StopPercent = 100;
    bool ForceStacking = false;
    int StackingEndsRoom = 0; // room an axis leaves at each end when stacked: half a label plus the ends margin
};

struct TPlotLayoutInput {
    int Width = 0;
    int Height = 0;
    int Border = 0; // 0 without a border, 2 with a bevel
    int OuterMarginLeft = 5;
    int OuterMarginTop = 5;
    int OuterMarginRight = 5;
    int OuterMarginBottom = 5;
    int DataViewZHorz = 1;
    int DataViewZVert = 1;
    std::vector<TPlotLayoutItem> Items; // the visible band objects (no data views)
};

struct TPlotLayoutPlacement {
    TPlotSide Side = TPlotSide::None;
    TPlotRect Band;
    bool Stacked = false; // shares its row with another object, or is forced to leave room at its ends
    // Scale extent for axes: left and right for horizontal, top and bottom for vertical axes.
    int ExtentLow = 0;
    int ExtentHigh = 0;
};

struct TPlotLayoutResult {
    TPlotRect DataView;
    std::vector<TPlotLayoutPlacement> Items; // in the order of the input's items
};

// Horizontal objects with a ZOrder above DataViewZHorz go above the data view, the others below it; vertical objects
// above DataViewZVert go right of it, the others left. Objects of one side with equal ZOrder share a row as thick as
// its thickest member; rows run outwards from the data view, nearest first the ZOrder next to the data view's.
TPlotLayoutResult ComputePlotLayout(const TPlotLayoutInput &input);
