// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotDescription.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotLabel.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

namespace
{

void DescribeAxis(TPlotAxis &axis, const QString &title, TPlotTrackingStyle tracking, TPlotAlignFirstStyle align)
{
    axis.SetZOrder(0);
    axis.SetMin(0);
    axis.SetSpan(100);
    axis.SetTitle(title);
    axis.SetTrackingStyle(tracking);
    axis.SetTrackingAlignFirstStyle(align);
    axis.SetGridLinesVisible(true);
    axis.SetScaleLinesShow(true);
    axis.SetTitleMargin(0.25);
    axis.SetTitleFont(TPlotFont::Make("Arial", 13, true, Qt::white));
    axis.SetLabelsMargin(0.25);
    axis.SetLabelsFont(TPlotFont::Make("MS Sans Serif", 11, false, Qt::white));
    axis.SetLabelSeparation(2.0);
    axis.SetLabelsRotation(ra000);
    axis.SetDateTimeFormat("hh:nn:ss");
    axis.SetCursorDateTimeFormat("hh:nn:ss");
    axis.SetLegendDateTimeFormat("hh:nn:ss");
    axis.SetLabelsMinLength(5.0);
    axis.SetCursorMinLength(5.0);
    axis.SetLegendMinLength(5.0);
    axis.SetCursorPrecision(3);
    axis.SetLegendPrecision(3);
    axis.SetStackingEndsMargin(0.5);
    axis.SetCursorScaler(1.0);
    axis.SetScrollMinMaxEnabled(false);
    axis.SetScrollMax(100);
    axis.SetRestoreValuesOnResume(true);
    axis.SetMasterUIInput(false);
    axis.SetCartesianStyle(pcsNone);
    axis.SetCartesianChildRefAxisName("<None>");
    axis.SetAlignRefAxisName("<None>");
    axis.SetForceStacking(false);
}

} // namespace

void LoadStripChartDescription(TPlot &plot)
{
    TPlotMasterManager &master = plot.Master();
    plot.BeginUpdate();
    master.SetLoading(true);
    master.ClearAll();

    plot.SetBorderStyle(bsNone);
    plot.SetBackGroundColor(Qt::black);
    plot.SetBackGroundGradientEnabled(false);
    plot.SetDataViewZHorz(1);
    plot.SetDataViewZVert(1);
    plot.SetOuterMarginLeft(5);
    plot.SetOuterMarginTop(5);
    plot.SetOuterMarginRight(5);
    plot.SetOuterMarginBottom(5);
    plot.SetUpdateFrameRate(60);
    plot.SetAutoFrameRate(true);
    plot.SetHintsShow(true);
    plot.SetHintsPause(500);
    plot.SetHintsHidePause(2500);
    plot.SetHintsFont(TPlotFont::Make("MS Sans Serif", 11, false, Qt::black));
    plot.SetCopyToClipBoardFormat(pefMetaFile);
    plot.SetPrintMarginLeft(1.0);
    plot.SetPrintMarginTop(1.0);
    plot.SetPrintMarginRight(1.0);
    plot.SetPrintMarginBottom(1.0);
    plot.SetPrintDocumentName("Untitled");
    plot.SetPrintOrientation(ppoLandscape);
    plot.SetPrintShowDialog(true);
    plot.SetEditorFormStyle(pfsModal);
    plot.SetUserCanEditObjects(true);

    TPlotToolBar *toolBar = master.ToolBars().Add("Toolbar 1");
    toolBar->SetHorizontal(true);
    toolBar->SetZOrder(3);
    toolBar->SetStopPercent(100);
    toolBar->SetZoomInOutFactor(2.0);

    TPlotLegend *legend = master.Legends().Add("Legend 1");
    legend->SetHorizontal(false);
    legend->SetZOrder(2);
    legend->SetStopPercent(100);

    TPlotXAxis *xAxis = master.XAxes().Add("X-Axis 1");
    DescribeAxis(*xAxis, "X-Axis 1", ptsScrollSmooth, pafsAuto);
    TPlotYAxis *yAxis = master.YAxes().Add("Y-Axis 1");
    DescribeAxis(*yAxis, "Y-Axis 1", ptsScaleMinMax, pafsNone);

    TPlotChannel *channel = master.Channels().Add<TPlotChannel>("Channel 1");
    channel->SetTitleText("数据");
    channel->SetXAxisName("X-Axis 1");
    channel->SetYAxisName("Y-Axis 1");
    channel->SetDataStyle(pdsStandard);

    TPlotDataView *dataView = master.DataViews().Add("Data View 1");
    dataView->SetGridXAxisName("X-Axis 1");
    dataView->SetGridYAxisName("Y-Axis 1");
    dataView->SetGridLineMajorWidth(0);
    dataView->SetGridLineMinorWidth(0);
    dataView->SetAxesControlEnabled(false);

    TPlotDataCursor *cursor = master.DataCursors().Add("Cursor 1");
    cursor->SetVisible(false);
    cursor->SetChannelName("Channel 1");
    cursor->SetStyle(pcsValueXY);

    TPlotLabel *title = master.Labels().Add("Title");
    title->SetHorizontal(true);
    title->SetZOrder(2);
    title->SetVisible(false);
    title->SetCaption("数据波形图");
    title->SetAlignment(paCenter);
    title->SetFont(TPlotFont::Make("Arial", 19, true, Qt::white));

    master.SetLoading(false);
    plot.EndUpdate();
}
