#include "chart/PlotLegend.h"

#include "chart/PlotChannelCustom.h"
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
    int thickness = Round(MarginLeft() * digitWidth) + TextColumnWidth(measure) + Round(MarginRight() * digitWidth);
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
    }
}
