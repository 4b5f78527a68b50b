// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/XYForm.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"
#include "console/instruments/ChannelSamples.h"
#include "console/instruments/ChartChannels.h"
#include "console/instruments/InstrumentPlot.h"
#include "ui/WindowKeys.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

TXYForm::TXYForm(TPlot &source, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FSource(source)
    , FXChannel(new QComboBox(this))
    , FYChannel(new QComboBox(this))
    , FPairs(new QSpinBox(this))
    , FPlot(new TPlot(this))
    , FPacer(
          RefreshMilliseconds, [this] { Refresh(); }, nullptr)
{
    setObjectName(QStringLiteral("XYForm"));
    setWindowTitle(QStringLiteral("XY 图"));
    resize(560, 520);
    FXChannel->setObjectName(QStringLiteral("XChannel"));
    FYChannel->setObjectName(QStringLiteral("YChannel"));
    FPairs->setObjectName(QStringLiteral("Pairs"));
    FPairs->setRange(MinPairs, MaxPairs);
    FPairs->setValue(DefaultPairs);
    FPairs->setGroupSeparatorShown(true);
    FPlot->setObjectName(QStringLiteral("XYPlot"));
    SetUpInstrumentPlot(*FPlot);
    FPlot->Channel(0)->SetXOrdered(false);

    auto *bar = new QHBoxLayout;
    auto addChoice = [&](const QString &caption, QWidget *input) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(input);
        bar->addWidget(label);
        bar->addWidget(input);
    };
    addChoice(QStringLiteral("X"), FXChannel);
    addChoice(QStringLiteral("Y"), FYChannel);
    addChoice(QStringLiteral("点数"), FPairs);
    bar->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(FPlot, 1);

    auto redraw = [this] {
        FDrawnFrom.clear();
        Refresh();
    };
    connect(FXChannel, &QComboBox::currentIndexChanged, this, redraw);
    // The form changes "Y" only with the box's signals blocked: a change that signals is the user's choice.
    connect(FYChannel, &QComboBox::currentIndexChanged, this, [this, redraw] {
        FYChosen = true;
        redraw();
    });
    connect(FPairs, &QSpinBox::valueChanged, this, redraw);
    AddDialogKeys(this);
}

void TXYForm::Refresh()
{
    SyncChannelChoice(*FXChannel, FSource, 0);
    SyncChannelChoice(*FYChannel, FSource, 1);
    if (!FYChosen && FYChannel->count() > 1 && FYChannel->currentIndex() == FXChannel->currentIndex()) {
        const QSignalBlocker quiet(FYChannel); // read below with the rest
        FYChannel->setCurrentIndex(FXChannel->currentIndex() == 0 ? 1 : 0);
    }
    const TPlotChannelCustom *x = ChartChannel(FSource, FXChannel->currentIndex());
    const TPlotChannelCustom *y = ChartChannel(FSource, FYChannel->currentIndex());
    TPlotChannel &drawn = *FPlot->Channel(0);
    const std::vector<int64_t> from = { int64_t(reinterpret_cast<intptr_t>(x)), int64_t(reinterpret_cast<intptr_t>(y)),
        FPairs->value(), x ? x->AddedCount() : -1, y ? y->AddedCount() : -1, x ? x->Count() : -1, y ? y->Count() : -1 };
    if (from == FDrawnFrom)
        return;
    FDrawnFrom = from;
    if (!x || !y) {
        drawn.Clear();
        return;
    }
    drawn.SetTitleText(y->TitleText());
    drawn.SetColor(y->Color());
    NewestPairs(*x, *y, FPairs->value(), FXs, FYs);
    drawn.Clear();
    for (std::size_t i = 0; i < FXs.size(); ++i)
        drawn.AddPoint(FXs[i], FYs[i]);
    if (!FXs.empty()) {
        const auto [xMin, xMax] = std::minmax_element(FXs.begin(), FXs.end());
        const auto [yMin, yMax] = std::minmax_element(FYs.begin(), FYs.end());
        FitInstrumentAxis(*FPlot->XAxis(0), *xMin, *xMax);
        FitInstrumentAxis(*FPlot->YAxis(0), *yMin, *yMax);
    }
}

void TXYForm::showEvent(QShowEvent *event)
{
    Refresh();
    FPacer.Start();
    QWidget::showEvent(event);
}

void TXYForm::hideEvent(QHideEvent *event)
{
    FPacer.Stop();
    QWidget::hideEvent(event);
}
