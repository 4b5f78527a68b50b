// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotLayoutObject.h"

class TPlotXAxis;
class TPlotYAxis;

// The plot area in the middle of the layout: its grid at the major ticks of two axes (linked by name) and its frame.
class TPlotDataView : public TPlotLayoutObject
{
public:
    using TPlotLayoutObject::TPlotLayoutObject;

    int Thickness(const TPlotMeasure &) const override { return 0; }
    TPlotLayoutKind LayoutKind() const override { return TPlotLayoutKind::DataView; }

    // The plot area of the last layout.
    const TPlotRect &Rect() const { return FRect; }
    void SetRect(const TPlotRect &rect) { FRect = rect; }

    TPlotXAxis *GridXAxis() const;
    TPlotYAxis *GridYAxis() const;
    const QString &GridXAxisName() const { return FGridXAxisName; }
    void SetGridXAxisName(const QString &name);
    const QString &GridYAxisName() const { return FGridYAxisName; }
    void SetGridYAxisName(const QString &name);

    void AxisRemoved(TPlotAxis *axis) override;
    void AxisRenamed(TPlotAxis *axis, const QString &oldName) override;
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    PLOT_PROPERTY(bool, GridShow, true)
    PLOT_PROPERTY(QColor, GridLineColor, QColor(0, 128, 0))
    PLOT_PROPERTY(bool, GridLineShowLeft, true)
    PLOT_PROPERTY(bool, GridLineShowTop, true)
    PLOT_PROPERTY(bool, GridLineShowRight, true)
    PLOT_PROPERTY(bool, GridLineShowBottom, true)
    PLOT_PROPERTY(bool, GridLineShowXMajors, true)
    PLOT_PROPERTY(bool, GridLineShowYMajors, true)
    PLOT_PROPERTY(bool, GridLineShowXMinors, false)
    PLOT_PROPERTY(bool, GridLineShowYMinors, false)
    PLOT_PROPERTY(TPlotLineStyle, GridLineMajorStyle, plsSolid)
    PLOT_PROPERTY(TPlotLineStyle, GridLineMinorStyle, plsSolid)
    PLOT_PROPERTY(int, GridLineMajorWidth, 1)
    PLOT_PROPERTY(int, GridLineMinorWidth, 1)
    PLOT_PROPERTY(bool, BackgroundTransparent, true)
    PLOT_PROPERTY(QColor, BackgroundColor, QColor(0, 128, 128))
    PLOT_PROPERTY(bool, AxesControlEnabled, true)

private:
    TPlotRect FRect;
    QString FGridXAxisName;
    QString FGridYAxisName;
    mutable TPlotXAxis *FGridXAxis = nullptr;
    mutable TPlotYAxis *FGridYAxis = nullptr;
};
