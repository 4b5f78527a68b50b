// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotLegend.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotPen.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{

int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

TPlotLegend::TPlotLegend(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotLayoutObject(owner, hooks)
{
    SetHorizontal(false);
}

std::vector<TPlotChannelCustom *> TPlotLegend::Entries() const
{
    std::vector<TPlotChannelCustom *> entries;
    const auto &channels = Owner().Channels();
    for (int i = 0; i < channels.Count(); ++i) {
        TPlotChannelCustom *channel = channels.Item(i);
        if (channel->VisibleInLegend())
            entries.push_back(channel);
    }
    return entries;
}

QString TPlotLegend::EntryText(const TPlotChannelCustom &channel)
{
    return channel.TitleText().trimmed().isEmpty() ? channel.Name() : channel.TitleText();
}

int TPlotLegend::TextColumnWidth(const TPlotMeasure &measure) const
{
    int width = 0;
    for (TPlotChannelCustom *channel : Entries())
        width = std::max(width, measure.TextWidth(Font().Font, EntryText(*channel)));
    return width;
}

const TPlotDataCursor *TPlotLegend::CursorColumns() const
{
    const auto &cursors = Owner().DataCursors();
    for (int i = 0; i < cursors.Count(); ++i) {
        const TPlotDataCursor *cursor = cursors.Item(i);
        if (cursor->Visible() && cursor->IsAllChannels() && cursor->ChannelShowAllInLegend())
            return cursor;
    }
    return nullptr;
}

int TPlotLegend::CursorColumnsWidth(const TPlotMeasure &measure) const
{
    const TPlotDataCursor *cursor = CursorColumns();
    if (!cursor)
        return 0;
    const QFont &font = Font().Font;
    int xWidth = 0, yWidth = 0;
    for (TPlotChannelCustom *channel : Entries()) {
        xWidth = std::max(xWidth, measure.TextWidth(font, cursor->XText(*channel)));
        yWidth = std::max(yWidth, measure.TextWidth(font, cursor->YText(*channel)));
    }
    return xWidth + yWidth + 2 * Round(ColumnSpacing() * measure.TextWidth(font, QStringLiteral("0")));
}

int TPlotLegend::Thickness(const TPlotMeasure &measure) const
{
    const QFont &font = Font().Font;
    const int digitWidth = measure.TextWidth(font, QStringLiteral("0"));
    const int rowHeight = measure.TextHeight(font, QStringLiteral("0"));
    if (IsHorizontal()) {
        int rows = static_cast<int>(Entries().size());
        int thickness = Round(MarginTop() * rowHeight) + Round(MarginBottom() * rowHeight) + rows * rowHeight;
        return thickness + std::max(rows - 1, 0) * Round(RowSpacing() * rowHeight);
    }
    int columns = 1;
    int thickness = Round(MarginLeft() * digitWidth) + TextColumnWidth(measure) + Round(MarginRight() * digitWidth)
        + CursorColumnsWidth(measure);
    if (ShowColumnLine()) {
        thickness += LineSampleWidth;
        ++columns;
    }
    return thickness + (columns - 1) * Round(ColumnSpacing() * digitWidth);
}

TPlotRect TPlotLegend::EntryRect(const TPlotMeasure &measure, int entry) const
{
    const QFont &font = Font().Font;
    const int digitWidth = measure.TextWidth(font, QStringLiteral("0"));
    const int rowHeight = measure.TextHeight(font, QStringLiteral("0"));
    TPlotRect rect;
    rect.Left = Band().Left + Round(MarginLeft() * digitWidth);
    rect.Top = Band().Top + Round(MarginTop() * rowHeight) + entry * (rowHeight + Round(RowSpacing() * rowHeight));
    rect.Bottom = rect.Top + rowHeight;
    int width = TextColumnWidth(measure);
    if (ShowColumnLine())
        width += LineSampleWidth + Round(ColumnSpacing() * digitWidth);
    width += CursorColumnsWidth(measure);
    rect.Right = rect.Left + width;
    return rect;
}

void TPlotLegend::Draw(QPainter &painter, const TPlotDrawContext &context)
{
    const TPlotMeasure &measure = context.Measure;
    const TPlotRect &band = Band();
    if (!BackGroundTransparent())
        painter.fillRect(QRect(QPoint(band.Left, band.Top), QPoint(band.Right, band.Bottom)), BackGroundColor());
    const int digitWidth = measure.TextWidth(Font().Font, QStringLiteral("0"));
    const std::vector<TPlotChannelCustom *> entries = Entries();
    int xColumnWidth = 0;
    if (const TPlotDataCursor *cursor = CursorColumns())
        for (TPlotChannelCustom *channel : entries)
            xColumnWidth = std::max(xColumnWidth, measure.TextWidth(Font().Font, cursor->XText(*channel)));
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        TPlotRect row = EntryRect(measure, i);
        if (row.Bottom > band.Bottom)
            break; // the rest is reached by paging
        const TPlotChannelCustom &channel = *entries[static_cast<std::size_t>(i)];
        bool selected = i == FSelectedEntry;
        if (selected)
            painter.fillRect(
                QRect(row.Left, row.Top, row.Right - row.Left, row.Bottom - row.Top), SelectedItemBackGroundColor());
        int x = row.Left;
        if (ShowColumnLine()) {
            int y = row.Top + (row.Bottom - row.Top) / 2;
            painter.setPen(MakePlotPen(channel.Color(), 1, channel.TraceLineStyle()));
            painter.drawLine(x, y, x + LineSampleWidth - 1, y);
            x += LineSampleWidth + Round(ColumnSpacing() * digitWidth);
        }
        const TPlotFont &font = selected ? SelectedItemFont() : Font();
        QString text = EntryText(channel);
        painter.setFont(font.Font);
        painter.setPen(ChannelNameColorStyle() == plcncsChannel ? channel.Color() : font.Color);
        painter.drawText(QRect(x, row.Top, measure.TextWidth(font.Font, text), row.Bottom - row.Top),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
        if (const TPlotDataCursor *cursor = CursorColumns()) {
            x += TextColumnWidth(measure) + Round(ColumnSpacing() * digitWidth);
            const QString xText = cursor->XText(channel);
            painter.drawText(QRect(x, row.Top, measure.TextWidth(font.Font, xText), row.Bottom - row.Top),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, xText);
            x += xColumnWidth + Round(ColumnSpacing() * digitWidth);
            const QString yText = cursor->YText(channel);
            painter.drawText(QRect(x, row.Top, measure.TextWidth(font.Font, yText), row.Bottom - row.Top),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, yText);
        }
    }
}
