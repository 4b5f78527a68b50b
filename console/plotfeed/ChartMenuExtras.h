// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <string>

class TFeedSchedule;
class QWidget;
class TPlot;
class TPlotFeed;
class TTriggerForm;

// The main window's additions to the chart's data view menu: "多通道模式" (checkable; the feed's multi-channel mode,
// kept in setfile.ini's extension section), "导出数据 (CSV)…" (every stored point to a CSV file) and "触发…" (the
// trigger's window). The mode and the trigger's settings are read from the settings file once, at construction; the
// menu and the window write them back each time the user changes them.
class TChartMenuExtras
{
public:
    enum TCommand { cmdMultiChannel = 1, cmdExportData = 2, cmdTrigger = 3 };

    // feedSchedule is the plot feed's: it is paused while an export runs so that the chart keeps still.
    TChartMenuExtras(
        TPlot &plot, TPlotFeed &feed, TFeedSchedule &feedSchedule, std::string settingsPath, QWidget *parent);
    ~TChartMenuExtras();

    void SetMultiChannel(bool on);
    // Asks for a file and exports to it; the feed pauses meanwhile and catches up afterwards (the lines wait in the
    // PlotQueue with their arrival times).
    void ExportData();
    // Opens the trigger's window "触发" (or brings it forward).
    void ShowTriggerForm();
    TTriggerForm *TriggerForm() const;

private:
    TPlot &FPlot;
    TPlotFeed &FFeed;
    TFeedSchedule &FFeedSchedule;
    std::string FSettingsPath;
    QWidget *FParent;
    QPointer<QWidget> FTriggerForm; // made when first opened; a child of the parent, gone with either
};
