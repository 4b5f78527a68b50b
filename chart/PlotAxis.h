// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotFont.h"
#include "chart/PlotLayoutObject.h"
#include "chart/PlotScale.h"
#include "chart/PlotTicks.h"

#include <vector>

// An axis: the shown range Min ... Min + Span, how it follows new data (tracking), and its scale, ticks and labels
// in a band beside the data view. Min and Span are clamped to -1e300 ... 1e300 and 1e-300 ... 1e300 and never become
// NaN. Changes of Min and Span raise the chart's axis events with the old values.
class TPlotAxis : public TPlotLayoutObject
{
public:
    TPlotAxis(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);

    double Min() const { return FMin; }
    void SetMin(double min);
    double Span() const { return FSpan; }
    void SetSpan(double span);
    double Max() const { return FMin + FSpan; }
    // Sets both as one change: the min-span event fires once, after both, with the old values.
    void SetMinSpan(double min, double span);

    // Moves the shown range for a new data coordinate, by TrackingAlignFirstStyle for the first value and by
    // TrackingStyle for every value. Does nothing while tracking is off.
    void TrackValue(double value);
    bool TrackingEnabled() const { return FTrackingEnabled; }
    // Turning tracking off saves Min, Span and LabelsMinLength as resume values (with RestoreValuesOnResume);
    // turning it on restores them.
    void SetTrackingEnabled(bool enabled);
    // While held, new values leave the range alone: the chart's trigger places the axis instead. Not saved anywhere.
    bool TrackingHeld() const { return FTrackingHeld; }
    void SetTrackingHeld(bool held) { FTrackingHeld = held; }
    double ResumeMin() const { return FResumeMin; }
    double ResumeSpan() const { return FResumeSpan; }
    void SetResumeValues(double min, double span);
    bool FirstValueSeen() const { return FFirstValueSeen; }
    void ClearFirstValueSeen() { FFirstValueSeen = false; }

    // Scale, as laid out by the last layout.
    TPlotScale Scale() const { return TPlotScale { FMin, FSpan, FExtentLow, FExtentHigh, IsHorizontal() }; }
    int ValueToPixel(double value) const { return Scale().ValueToPixel(value); }
    double PixelToValue(int pixel) const { return Scale().PixelToValue(pixel); }
    bool InRange(double value) const { return Scale().InRange(value); }
    int ExtentLow() const { return FExtentLow; }
    int ExtentHigh() const { return FExtentHigh; }
    bool Stacked() const { return FStacked; }

    // Label text of a value: fixed decimals from the span (see PlotLabelDecimals).
    QString LabelText(double value) const;
    // The widest label: at least LabelsMinLength digit widths, and the label of the span's top; with previousTicks
    // the labels of the current tick list count too.
    int WidestLabel(const TPlotMeasure &measure, bool previousTicks) const;
    // Distance from the inner edge (the edge facing the data view) to the labels.
    int LabelsOffset(const TPlotMeasure &measure) const;
    void ComputeTicks(const TPlotMeasure &measure);
    const std::vector<TPlotTickObject> &Ticks() const { return FTicks; }

    int Thickness(const TPlotMeasure &measure) const override;
    int Overhang(const TPlotMeasure &measure) const override;
    int StackingEndsRoom(const TPlotMeasure &measure) const;
    TPlotLayoutKind LayoutKind() const override { return TPlotLayoutKind::Axis; }
    void Place(const TPlotLayoutPlacement &placement) override;
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    PLOT_PROPERTY(QString, Title)
    PLOT_PROPERTY(bool, ReverseScale, false)
    PLOT_LAYOUT_PROPERTY(int, InnerMargin, 5)
    PLOT_LAYOUT_PROPERTY(int, OuterMargin, 5)
    PLOT_LAYOUT_PROPERTY(int, MajorLength, 7)
    PLOT_LAYOUT_PROPERTY(int, MinorLength, 3)
    PLOT_PROPERTY(int, MinorCount, 1)
    PLOT_LAYOUT_PROPERTY(bool, LabelsVisible, true)
    PLOT_LAYOUT_PROPERTY(int, LabelsPrecision, 3)
    PLOT_LAYOUT_PROPERTY(TPlotPrecisionStyle, LabelsPrecisionStyle, psSignificantDigits)
    PLOT_LAYOUT_PROPERTY(TPlotTextFormat, LabelsFormatStyle, ptfValue)
    PLOT_PROPERTY(bool, LabelsMinLengthAutoAdjust, false)
    PLOT_LAYOUT_PROPERTY(bool, ScaleLinesShow, true)
    PLOT_PROPERTY(QColor, ScaleLinesColor, Qt::white)
    PLOT_LAYOUT_PROPERTY(bool, TitleShow, false)
    PLOT_LAYOUT_PROPERTY(bool, TitleRotated, false)
    PLOT_LAYOUT_PROPERTY(double, TitleMargin, 0.25)
    PLOT_LAYOUT_PROPERTY(TPlotFont, TitleFont, TPlotFont::Make("Arial", 13, true, Qt::white))
    PLOT_LAYOUT_PROPERTY(double, LabelsMargin, 0.25)
    PLOT_LAYOUT_PROPERTY(TPlotFont, LabelsFont, TPlotFont::Make("MS Sans Serif", 11, false, Qt::white))
    PLOT_LAYOUT_PROPERTY(double, LabelSeparation, 2.0)
    PLOT_LAYOUT_PROPERTY(TPlotRotationAngle, LabelsRotation, ra000)
    PLOT_LAYOUT_PROPERTY(double, LabelsMinLength, 5.0)
    PLOT_PROPERTY(QString, DateTimeFormat, "hh:nn:ss")
    PLOT_PROPERTY(QString, CursorDateTimeFormat, "hh:nn:ss")
    PLOT_PROPERTY(QString, LegendDateTimeFormat, "hh:nn:ss")
    PLOT_PROPERTY(double, CursorMinLength, 5.0)
    PLOT_PROPERTY(double, LegendMinLength, 5.0)
    PLOT_PROPERTY(int, CursorPrecision, 3)
    PLOT_PROPERTY(int, LegendPrecision, 3)
    PLOT_PROPERTY(bool, CursorUseDefaultFormat, true)
    PLOT_PROPERTY(double, CursorScaler, 1.0)
    PLOT_LAYOUT_PROPERTY(double, StackingEndsMargin, 0.5)
    PLOT_LAYOUT_PROPERTY(bool, ForceStacking, false)
    PLOT_PROPERTY(TPlotTrackingStyle, TrackingStyle, ptsScaleMinMax)
    PLOT_PROPERTY(TPlotAlignFirstStyle, TrackingAlignFirstStyle, pafsAuto)
    PLOT_PROPERTY(double, TrackingScrollCompressMax, 0.0)
    PLOT_PROPERTY(double, DesiredStart, 0.0)
    PLOT_PROPERTY(double, DesiredIncrement, 0.0)
    PLOT_PROPERTY(TPlotScaleType, ScaleType, pstLinear)
    PLOT_PROPERTY(bool, ScrollMinMaxEnabled, false)
    PLOT_PROPERTY(double, ScrollMin, 0.0)
    PLOT_PROPERTY(double, ScrollMax, 100.0)
    PLOT_PROPERTY(bool, RestoreValuesOnResume, true)
    PLOT_PROPERTY(bool, MasterUIInput, false)
    PLOT_PROPERTY(TPlotCartesianStyle, CartesianStyle, pcsNone)
    PLOT_PROPERTY(QString, CartesianChildRefAxisName, "<None>")
    PLOT_PROPERTY(QString, AlignRefAxisName, "<None>")
    PLOT_PROPERTY(bool, GridLinesVisible, true)

private:
    bool ApplyMin(double min);
    bool ApplySpan(double span);
    int InnerEdge() const;
    void DrawLabel(QPainter &painter, const TPlotMeasure &measure, const TPlotTickObject &tick, int offset) const;
    void DrawTitle(QPainter &painter, const TPlotMeasure &measure, int offset) const;

    double FMin = 0;
    double FSpan = 100;
    bool FTrackingEnabled = true;
    bool FTrackingHeld = false;
    double FResumeMin = 0;
    double FResumeSpan = 100;
    double FSavedLabelsMinLength = 5.0;
    bool FFirstValueSeen = false;
    int FExtentLow = 0;
    int FExtentHigh = 0;
    bool FStacked = false;
    std::vector<TPlotTickObject> FTicks;
};
