// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotFont.h"
#include "chart/PlotLayoutObject.h"

#include <vector>

class TPlotChannelCustom;
class TPlotDataCursor;

// The legend band: one row per channel shown in the legend, a 16-pixel line sample in the channel's colour and line
// style, then the channel's title (its name when the title is blank). Measures follow the legend font: rows are as
// high as "0", margins are multiples of the width and height of "0".
class TPlotLegend : public TPlotLayoutObject
{
public:
    static constexpr int LineSampleWidth = 16;

    TPlotLegend(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);

    int Thickness(const TPlotMeasure &measure) const override;
    TPlotLayoutKind LayoutKind() const override { return TPlotLayoutKind::Legend; }
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    // The channels listed, in channel order, and the text of an entry.
    std::vector<TPlotChannelCustom *> Entries() const;
    static QString EntryText(const TPlotChannelCustom &channel);
    // Where an entry's row lies, in chart pixels (Right and Bottom exclusive).
    TPlotRect EntryRect(const TPlotMeasure &measure, int entry) const;

    // The entry drawn as selected, or -1.
    int SelectedEntry() const { return FSelectedEntry; }
    void SetSelectedEntry(int entry) { SetProperty(FSelectedEntry, entry); }

    PLOT_LAYOUT_PROPERTY(double, MarginLeft, 1.0)
    PLOT_LAYOUT_PROPERTY(double, MarginTop, 1.0)
    PLOT_LAYOUT_PROPERTY(double, MarginRight, 1.0)
    PLOT_LAYOUT_PROPERTY(double, MarginBottom, 1.0)
    PLOT_PROPERTY(QColor, BackGroundColor, QColor(128, 128, 128))
    PLOT_PROPERTY(bool, BackGroundTransparent, true)
    PLOT_PROPERTY(QColor, SelectedItemBackGroundColor, QColor(255, 255, 0))
    PLOT_LAYOUT_PROPERTY(TPlotFont, SelectedItemFont, TPlotFont::Make("MS Sans Serif", 11, false, Qt::black))
    PLOT_LAYOUT_PROPERTY(TPlotFont, Font, TPlotFont::Make("MS Sans Serif", 11, false, Qt::white))
    PLOT_LAYOUT_PROPERTY(bool, ColumnTitlesVisible, false)
    PLOT_LAYOUT_PROPERTY(TPlotFont, ColumnTitlesFont, TPlotFont::Make("MS Sans Serif", 11, true, QColor(0, 255, 255)))
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnLine, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnMarker, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnXAxisTitle, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnYAxisTitle, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnXValue, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnYValue, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnYMax, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnYMin, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowColumnYMean, false)
    PLOT_PROPERTY(QString, CaptionColumnTitle, "Title")
    PLOT_PROPERTY(QString, CaptionColumnXAxisTitle, "X-Axis")
    PLOT_PROPERTY(QString, CaptionColumnYAxisTitle, "Y-Axis")
    PLOT_PROPERTY(QString, CaptionColumnXValue, "X")
    PLOT_PROPERTY(QString, CaptionColumnYValue, "Y")
    PLOT_PROPERTY(QString, CaptionColumnYMax, "Y-Max")
    PLOT_PROPERTY(QString, CaptionColumnYMin, "Y-Min")
    PLOT_PROPERTY(QString, CaptionColumnYMean, "Y-Mean")
    PLOT_LAYOUT_PROPERTY(double, ColumnSpacing, 0.5)
    PLOT_LAYOUT_PROPERTY(double, RowSpacing, 0.25)
    PLOT_LAYOUT_PROPERTY(int, WrapColDesiredCount, 1)
    PLOT_LAYOUT_PROPERTY(bool, WrapColAutoCountEnabled, false)
    PLOT_LAYOUT_PROPERTY(int, WrapColAutoCountMax, 100)
    PLOT_LAYOUT_PROPERTY(double, WrapColSpacingMin, 2.0)
    PLOT_LAYOUT_PROPERTY(bool, WrapColSpacingAuto, true)
    PLOT_LAYOUT_PROPERTY(int, WrapRowDesiredCount, 5)
    PLOT_LAYOUT_PROPERTY(bool, WrapRowAutoCountEnabled, true)
    PLOT_LAYOUT_PROPERTY(int, WrapRowAutoCountMax, 100)
    PLOT_LAYOUT_PROPERTY(double, WrapRowSpacingMin, 0.25)
    PLOT_LAYOUT_PROPERTY(bool, WrapRowSpacingAuto, false)
    PLOT_PROPERTY(TPlotLegendChannelNameColorStyle, ChannelNameColorStyle, plcncsFont)

public:
    // A shown data cursor reading every channel into the legend: the rows then carry its X and Y texts.
    const TPlotDataCursor *CursorColumns() const;

private:
    int TextColumnWidth(const TPlotMeasure &measure) const;
    // Width of the cursor's X and Y columns together with their spacing (0 without them).
    int CursorColumnsWidth(const TPlotMeasure &measure) const;

    int FSelectedEntry = -1;
};
