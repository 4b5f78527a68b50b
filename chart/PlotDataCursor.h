#pragma once

#include "chart/PlotFont.h"
#include "chart/PlotManagerObject.h"
#include "chart/PlotTypes.h"

// The data cursor's settings: the channel it reads ("<All>" for every channel), its style and pointer positions in
// percent of the data view.
class TPlotDataCursor : public TPlotManagerObject
{
public:
    using TPlotManagerObject::TPlotManagerObject;

    PLOT_PROPERTY(QString, ChannelName)
    PLOT_PROPERTY(bool, ChannelAllowAll, true)
    PLOT_PROPERTY(bool, ChannelShowAllInLegend, true)
    PLOT_PROPERTY(TPlotDataCursorStyle, Style, pcsValueXY)
    PLOT_PROPERTY(TPlotFont, Font, TPlotFont::Make("MS Sans Serif", 11, false, QColor(0, 0, 0)))
    PLOT_PROPERTY(QColor, Color, QColor(255, 255, 0))
    PLOT_PROPERTY(bool, UseChannelColor, true)
    PLOT_PROPERTY(bool, HintShow, true)
    PLOT_PROPERTY(bool, HintHideOnRelease, false)
    PLOT_PROPERTY(TPlotOrientationSide, HintOrientationSide, osBottomRight)
    PLOT_PROPERTY(double, HintPosition, 50.0)
    PLOT_PROPERTY(double, Pointer1Position, 50.0)
    PLOT_PROPERTY(double, Pointer2Position, 60.0)
    PLOT_PROPERTY(int, PointerPenWidth, 1)
    PLOT_PROPERTY(bool, MenuUserCanChangeOptions, true)
    PLOT_PROPERTY(bool, MenuItemVisibleValueXY, true)
    PLOT_PROPERTY(bool, MenuItemVisibleValueX, true)
    PLOT_PROPERTY(bool, MenuItemVisibleValueY, true)
    PLOT_PROPERTY(bool, MenuItemVisibleDeltaX, true)
    PLOT_PROPERTY(bool, MenuItemVisibleDeltaY, true)
    PLOT_PROPERTY(bool, MenuItemVisibleInverseDeltaX, true)
    PLOT_PROPERTY(QString, MenuItemCaptionValueXY, "Value X-Y")
    PLOT_PROPERTY(QString, MenuItemCaptionValueX, "Value X")
    PLOT_PROPERTY(QString, MenuItemCaptionValueY, "Value Y")
    PLOT_PROPERTY(QString, MenuItemCaptionDeltaX, "Period")
    PLOT_PROPERTY(QString, MenuItemCaptionDeltaY, "Peak-Peak")
    PLOT_PROPERTY(QString, MenuItemCaptionInverseDeltaX, "Frequency")
};
