// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotComponent.h"

class TPlotChannel;
class TPlotDataCursor;
class TPlotDataView;
class TPlotLabel;
class TPlotLegend;
class TPlotToolBar;
class TPlotXAxis;
class TPlotYAxis;

// The strip chart control. Created with a default set of objects: a toolbar, a legend, an X and a Y axis, a channel,
// a data view, a data cursor and a title label. Objects are reached by index; an index outside a list raises the
// list-index error.
class TPlot : public TPlotComponent
{
    Q_OBJECT

public:
    explicit TPlot(QWidget *parent = nullptr, TPlotClock *clock = nullptr);

    TPlotChannel *Channel(int index) const;
    TPlotXAxis *XAxis(int index) const;
    TPlotYAxis *YAxis(int index) const;
    TPlotToolBar *ToolBar(int index) const;
    TPlotLegend *Legend(int index) const;
    TPlotDataView *DataView(int index) const;
    TPlotDataCursor *DataCursor(int index) const;
    TPlotLabel *Label(int index) const;
};
