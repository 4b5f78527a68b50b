// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/MeasurementForm.h"

#include "chart/Plot.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "console/instruments/ChannelSamples.h"
#include "console/instruments/InstrumentTexts.h"
#include "ui/WindowKeys.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>

namespace
{

bool Shown(const TPlotChannelCustom &channel)
{
    return channel.Visible() && channel.TraceVisible() && channel.XAxis();
}

} // namespace

TMeasurementForm::TMeasurementForm(TPlot &plot, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , FPlot(plot)
    , FGrid(new QGridLayout(this))
    , FPacer(
          RefreshMilliseconds, [this] { Refresh(); }, nullptr)
{
    setObjectName(QStringLiteral("MeasurementForm"));
    setWindowTitle(QStringLiteral("测量"));
    // The window is always the size of its figures: it grows with longer numbers and shrinks with shorter ones.
    FGrid->setSizeConstraint(QLayout::SetFixedSize);
    FGrid->setHorizontalSpacing(14);
    const QStringList captions = MeasurementCaptions();
    for (int column = 0; column < captions.size(); ++column) {
        auto *caption = new QLabel(captions[column], this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        FGrid->addWidget(caption, 0, column + 2);
    }
    AddDialogKeys(this);
}

QString TMeasurementForm::RowTitle(int row) const
{
    return FRows.at(std::size_t(row)).Title->text();
}

QString TMeasurementForm::Text(int row, int column) const
{
    return FRows.at(std::size_t(row)).Values.at(std::size_t(column))->text();
}

void TMeasurementForm::SyncRows()
{
    const auto &channels = FPlot.Master().Channels();
    std::vector<int> wanted;
    for (int i = 0; i < channels.Count(); ++i)
        if (Shown(*channels.Item(i)))
            wanted.push_back(i);
    bool same = wanted.size() == FRows.size();
    for (std::size_t r = 0; same && r < FRows.size(); ++r) {
        const TPlotChannelCustom &channel = *channels.Item(wanted[r]);
        same = FRows[r].Channel == wanted[r] && FRows[r].Title->text() == channel.TitleText()
            && FRows[r].Swatch->palette().color(QPalette::Window) == channel.Color();
    }
    if (same)
        return;

    for (TRow &row : FRows) {
        delete row.Swatch;
        delete row.Title;
        for (QLabel *value : row.Values)
            delete value;
    }
    FRows.clear();
    const int columns = int(MeasurementCaptions().size());
    for (int index : wanted) {
        const TPlotChannelCustom &channel = *channels.Item(index);
        const int line = int(FRows.size()) + 1;
        TRow row;
        row.Channel = index;
        row.Swatch = new QLabel(this);
        row.Swatch->setFixedSize(12, 12);
        row.Swatch->setAutoFillBackground(true);
        QPalette palette = row.Swatch->palette();
        palette.setColor(QPalette::Window, channel.Color());
        row.Swatch->setPalette(palette);
        row.Title = new QLabel(channel.TitleText(), this);
        FGrid->addWidget(row.Swatch, line, 0);
        FGrid->addWidget(row.Title, line, 1);
        for (int column = 0; column < columns; ++column) {
            auto *value = new QLabel(QStringLiteral("—"), this);
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            FGrid->addWidget(value, line, column + 2);
            row.Values.push_back(value);
        }
        row.Swatch->show();
        row.Title->show();
        for (QLabel *value : row.Values)
            value->show();
        FRows.push_back(row);
    }
}

void TMeasurementForm::Refresh()
{
    SyncRows();
    const auto &channels = FPlot.Master().Channels();
    for (TRow &row : FRows) {
        const TPlotChannelCustom &channel = *channels.Item(row.Channel);
        const TPlotXAxis &axis = *channel.XAxis();
        const QStringList texts = MeasurementTexts(FMeter.Measure(channel, axis.Min(), axis.Max()));
        for (std::size_t column = 0; column < row.Values.size(); ++column)
            if (row.Values[column]->text() != texts[int(column)])
                row.Values[column]->setText(texts[int(column)]);
    }
}

void TMeasurementForm::showEvent(QShowEvent *event)
{
    Refresh();
    FPacer.Start();
    QWidget::showEvent(event);
}

void TMeasurementForm::hideEvent(QHideEvent *event)
{
    FPacer.Stop();
    QWidget::hideEvent(event);
}

void TMeasurementForm::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && OnClosed)
        OnClosed();
}
