// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotFont.h"
#include "chart/PlotManagerObject.h"
#include "chart/PlotTypes.h"

#include <QPoint>

class TPlotChannelCustom;

// The data cursor: one or two pointers across the data view (vertical lines, or horizontal ones for Peak-Peak) at
// percentages of its width or height, and a hint box with what the pointers read off a channel ("<All>" reads every
// channel; the legend then shows the values). Pointers and the hint can be dragged with the mouse.
class TPlotDataCursor : public TPlotManagerObject
{
public:
    using TPlotManagerObject::TPlotManagerObject;

    static constexpr const char *AllChannels = "<All>";

    bool IsAllChannels() const { return ChannelName() == QLatin1String(AllChannels); }
    // The channel named by ChannelName; null for "<All>" or a name no channel has.
    TPlotChannelCustom *Channel() const;
    bool TwoPointers() const { return Style() == pcsDeltaX || Style() == pcsDeltaY || Style() == pcsInverseDeltaX; }
    bool HorizontalPointers() const { return Style() == pcsDeltaY; }

    // Pixel of a pointer (1 or 2) in the data view of the last layout: a column for vertical pointers, a row for
    // horizontal ones (measured from the bottom, as the Y axis).
    int PointerPixel(int pointer) const;
    // The cursor's text for a channel, by style; "No Channel" for a missing channel.
    QString TextFor(const TPlotChannelCustom *channel) const;
    // X and Y texts at pointer 1 for a channel (the legend's columns with "<All>").
    QString XText(const TPlotChannelCustom &channel) const;
    QString YText(const TPlotChannelCustom &channel) const;
    // The text of the last paint or drag.
    const QString &Text() const { return FText; }
    void UpdateText();

    // Whether the hint box is shown now, and where (chart pixels, Right and Bottom exclusive).
    bool HintVisible() const;
    TPlotRect HintRect(const TPlotMeasure &measure) const;

    // Mouse: grabbing a pointer (within 5 pixels left of or above it, 6 right of or below it) or the hint box, and
    // dragging it. Positions stay within 0 ... 100.
    bool HitTest(const QPoint &point) const override;
    void MouseDown(const QPoint &point) override;
    void MouseMove(const QPoint &point) override;
    void MouseUp(const QPoint &point) override;
    int Dragging() const { return FDragging; }

    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

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

private:
    enum { dragNone, dragPointer1, dragPointer2, dragHint };
    int PointerAt(const QPoint &point) const;
    double PositionAt(const QPoint &point, bool horizontalPointer) const;
    double XAt(const TPlotChannelCustom &channel, int pointer) const;
    QString YAtX(const TPlotChannelCustom &channel) const;

    QString FText;
    int FDragging = dragNone;
    mutable TPlotRect FLastHintRect;
    mutable bool FHintPlaced = false;
};
