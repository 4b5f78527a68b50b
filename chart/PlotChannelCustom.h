// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotDataCustomList.h"
#include "chart/PlotManagerObject.h"
#include "chart/PlotTypes.h"

#include <cstdint>
#include <memory>

class TPlotXAxis;
class TPlotYAxis;
struct TPlotScale;

// A channel: a point store with running statistics, the axes it is drawn against (linked by name), tracking of those
// axes as points arrive, and the trace drawing.
class TPlotChannelCustom : public TPlotManagerObject
{
public:
    TPlotChannelCustom(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);
    ~TPlotChannelCustom() override;

    // Appends a point, updates the statistics, lets the axes track it and notifies the change. Returns the point's
    // index. When the store cannot take the point ("Exceed Maximum List Size"), nothing changes.
    int AddPoint(double x, double y);
    // Empties the store and resets the statistics.
    void Clear();

    int Count() const { return FData->Count(); }
    double X(int index) const { return FData->X(index); }
    double Y(int index) const { return FData->Y(index); }
    TPlotDataCustomList &Data() { return *FData; }
    const TPlotDataCustomList &Data() const { return *FData; }

    int RingBufferSize() const { return FData->RingBufferSize(); }
    void SetRingBufferSize(int size);

    double XMin() const { return FXMin; }
    double XMax() const { return FXMax; }
    double YMin() const { return FYMin; }
    double YMax() const { return FYMax; }
    int64_t AddedCount() const { return FAddedCount; }
    long double XSum() const { return FXSum; }
    long double YSum() const { return FYSum; }
    // Sums over AddedCount; 0 before the first point.
    double XMean() const { return FAddedCount ? static_cast<double>(FXSum / FAddedCount) : 0.0; }
    double YMean() const { return FAddedCount ? static_cast<double>(FYSum / FAddedCount) : 0.0; }
    int FirstVisibleIndex() const { return FFirstVisibleIndex; }
    int LastVisibleIndex() const { return FLastVisibleIndex; }
    bool XAscending() const { return FXAscending; }

    // The linked axes, resolved by name on first use; null when no axis has that name.
    TPlotXAxis *XAxis() const;
    TPlotYAxis *YAxis() const;
    const QString &XAxisName() const { return FXAxisName; }
    void SetXAxisName(const QString &name);
    const QString &YAxisName() const { return FYAxisName; }
    void SetYAxisName(const QString &name);

    void Inserted(bool named) override;
    void AxisRemoved(TPlotAxis *axis) override;
    void AxisRenamed(TPlotAxis *axis, const QString &oldName) override;

    // Finds the drawn index range (one point beyond each end of the X window) for the next Draw.
    void DrawSetup(const TPlotDrawContext &context) override;
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    // Range of X for fitting (first and last point that is neither null nor empty), and of Y over the points drawn
    // at the last paint. False when there is none.
    virtual bool FitXRange(double &min, double &max) const;
    virtual bool VisibleYRange(double &min, double &max) const;

    PLOT_PROPERTY(QString, TitleText)
    PLOT_PROPERTY(QColor, Color, QColor(255, 0, 0))
    PLOT_PROPERTY(bool, TraceVisible, true)
    PLOT_PROPERTY(TPlotLineStyle, TraceLineStyle, plsSolid)
    PLOT_PROPERTY(int, TraceLineWidth, 1)
    PLOT_PROPERTY(bool, MarkersVisible, false)
    PLOT_PROPERTY(int, MarkersSize, 3)
    PLOT_PROPERTY(TPlotMarkerStyle, MarkersStyle, pmsCircle)
    PLOT_LAYOUT_PROPERTY(bool, VisibleInLegend, true)
    PLOT_PROPERTY(bool, XAxisTrackingEnabled, true)
    PLOT_PROPERTY(bool, YAxisTrackingEnabled, true)
    PLOT_PROPERTY(TPlotInterpolationStyle, InterpolationStyle, pistStraightLine)
    PLOT_PROPERTY(bool, FastDrawEnabled, true)
    // False: X follows no order (one channel plotted against another). Every point is drawn, joined in adding order,
    // so a paint reads all of them.
    PLOT_PROPERTY(bool, XOrdered, true)
    PLOT_PROPERTY(bool, DigitalEnabled, false)
    PLOT_PROPERTY(bool, FillEnabled, false)
    PLOT_PROPERTY(bool, BarEnabled, false)
    PLOT_PROPERTY(bool, HighLowEnabled, false)
    PLOT_PROPERTY(bool, LoggingActive, false)

protected:
    virtual void DrawTrace(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale);
    virtual void DrawMarkers(QPainter &, const TPlotScale &, const TPlotScale &) { }

private:
    void ResetStatistics();
    void Track(double x, double y);
    int FindFirstVisibleIndex(double min) const;
    int FindLastVisibleIndex(double max) const;
    void DrawFast(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale);
    void DrawPlain(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale);
    void DrawInAddingOrder(QPainter &painter, const TPlotScale &xScale, const TPlotScale &yScale);

    std::unique_ptr<TPlotDataCustomList> FData;
    QString FXAxisName;
    QString FYAxisName;
    mutable TPlotXAxis *FXAxis = nullptr;
    mutable TPlotYAxis *FYAxis = nullptr;

    double FXMin, FXMax, FYMin, FYMax;
    int64_t FAddedCount;
    long double FXSum, FYSum;
    int FFirstVisibleIndex = -1;
    int FLastVisibleIndex = -1;
    bool FXAscending = true;
    bool FDrawReady = false;
};
