// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotLayout.h"
#include "chart/PlotManagerObject.h"
#include "chart/PlotTypes.h"

// An object that takes a band of the layout beside the data view: horizontal bands above or below it, vertical bands
// left or right of it, sorted by ZOrder. StartPercent and StopPercent give the part of the data view's side it spans.
class TPlotLayoutObject : public TPlotManagerObject
{
public:
    using TPlotManagerObject::TPlotManagerObject;

    virtual bool IsHorizontal() const { return FHorizontal; }
    bool IsVertical() const { return !IsHorizontal(); }
    // The band width the object needs across its band, and how far its content reaches past the band's ends.
    virtual int Thickness(const TPlotMeasure &measure) const = 0;
    virtual int Overhang(const TPlotMeasure &) const { return 0; }
    virtual TPlotLayoutKind LayoutKind() const = 0;

    PLOT_LAYOUT_PROPERTY(bool, Horizontal, true)
    PLOT_LAYOUT_PROPERTY(int, ZOrder, 0)
    PLOT_LAYOUT_PROPERTY(double, StartPercent, 0.0)
    PLOT_LAYOUT_PROPERTY(double, StopPercent, 100.0)

public:
    // Set by the layout.
    const TPlotRect &Band() const { return FBand; }
    TPlotSide Side() const { return FSide; }
    virtual void Place(const TPlotLayoutPlacement &placement)
    {
        FBand = placement.Band;
        FSide = placement.Side;
    }

private:
    TPlotRect FBand;
    TPlotSide FSide = TPlotSide::None;
};
