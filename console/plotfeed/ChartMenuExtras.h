// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

class TFeedSchedule;
class TInstruments;
class QWidget;
class TPlot;
class TPlotFeed;

// The main window's additions to the chart's data view menu: "多通道模式" (checkable; the feed's multi-channel mode,
// kept in setfile.ini's extension section), "导出数据 (CSV)…" (every stored point to a CSV file), and the instruments:
// "测量" (checkable), "XY 图…" and "频谱…". The mode is read from the settings file once, at construction; the menu
// writes it back each time the user switches it.
class TChartMenuExtras
{
public:
    enum TCommand { cmdMultiChannel = 1, cmdExportData = 2, cmdMeasurements = 3, cmdXY = 4, cmdSpectrum = 5 };

    // feedSchedule is the plot feed's: it is paused while an export runs so that the chart keeps still.
    TChartMenuExtras(
        TPlot &plot, TPlotFeed &feed, TFeedSchedule &feedSchedule, std::string settingsPath, QWidget *parent);
    ~TChartMenuExtras();

    void SetMultiChannel(bool on);
    // Asks for a file and exports to it; the feed pauses meanwhile and catches up afterwards (the lines wait in the
    // PlotQueue with their arrival times).
    void ExportData();
    TInstruments &Instruments() const { return *FInstruments; }

private:
    TPlot &FPlot;
    TPlotFeed &FFeed;
    TFeedSchedule &FFeedSchedule;
    std::string FSettingsPath;
    QWidget *FParent;
    std::unique_ptr<TInstruments> FInstruments;
};
