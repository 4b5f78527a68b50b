// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/Plot.h"

#include "chart/PlotChannel.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotError.h"
#include "chart/PlotLabel.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

TPlot::TPlot(QWidget *parent, TPlotClock *clock)
    : TPlotComponent(parent, clock, true)
{
    resize(500, 200);
    SetBackGroundColor(Qt::black);
    SetBorderStyle(bsLowered);
    SetUpdateFrameRate(60);
    SetAutoFrameRate(true);

    TPlotMasterManager &master = Master();
    master.SetLoading(true);
    master.ToolBars().Add()->SetZOrder(3);
    master.Legends().Add()->SetZOrder(2);
    TPlotXAxis *xAxis = master.XAxes().Add();
    TPlotYAxis *yAxis = master.YAxes().Add();
    TPlotChannel *channel = master.Channels().Add<TPlotChannel>();
    TPlotDataView *dataView = master.DataViews().Add();
    dataView->SetGridXAxisName(xAxis->Name());
    dataView->SetGridYAxisName(yAxis->Name());
    master.DataCursors().Add()->SetChannelName(channel->Name());
    TPlotLabel *title = master.Labels().Add("Title");
    title->SetZOrder(2);
    title->SetCaption("Untitled");
    title->SetMarginBottom(0);
    master.SetLoading(false);
}

TPlotChannel *TPlot::Channel(int index) const
{
    auto *channel = dynamic_cast<TPlotChannel *>(Master().Channels().Item(index));
    if (!channel)
        throw EPlotError("Channel " + std::to_string(index) + " is not a TPlotChannel");
    return channel;
}

TPlotXAxis *TPlot::XAxis(int index) const
{
    return Master().XAxes().Item(index);
}

TPlotYAxis *TPlot::YAxis(int index) const
{
    return Master().YAxes().Item(index);
}

TPlotToolBar *TPlot::ToolBar(int index) const
{
    return Master().ToolBars().Item(index);
}

TPlotLegend *TPlot::Legend(int index) const
{
    return Master().Legends().Item(index);
}

TPlotDataView *TPlot::DataView(int index) const
{
    return Master().DataViews().Item(index);
}

TPlotDataCursor *TPlot::DataCursor(int index) const
{
    return Master().DataCursors().Item(index);
}

TPlotLabel *TPlot::Label(int index) const
{
    return Master().Labels().Item(index);
}
