// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/plotfeed/BinaryFrameForm.h"

#include <memory>
#include <string>

class TFeedSchedule;
class TInstruments;
class QWidget;
class TPlot;
class TPlotFeed;
class TTriggerForm;

// The main window's additions to the chart's data view menu: "多通道模式" (checkable; the feed's multi-channel mode,
// kept in setfile.ini's extension section), "导出数据 (CSV)…" (every stored point to a CSV file), "二进制帧…"
// (the window "二进制帧", made at its first opening), "触发…" (the trigger's window "触发", likewise) and the
// instruments: "测量" (checkable), "XY 图…" and "频谱…", and "Y 轴自动适应" (checkable; the value axis fits the values
// in view, off by default and kept in setfile.ini's extension section). The modes, the value axis's fitting and the
// trigger's settings are read from the settings file once, at construction; the menu and the windows write them back
// each time the user changes them.
class TChartMenuExtras
{
public:
    enum TCommand {
        cmdMultiChannel = 1,
        cmdExportData = 2,
        cmdBinaryFrames = 3,
        cmdTrigger = 4,
        cmdMeasurements = 5,
        cmdXY = 6,
        cmdSpectrum = 7,
        cmdYAutoFit = 8
    };

    // feedSchedule is the plot feed's: it is paused while an export runs so that the chart keeps still.
    TChartMenuExtras(
        TPlot &plot, TPlotFeed &feed, TFeedSchedule &feedSchedule, std::string settingsPath, QWidget *parent);
    ~TChartMenuExtras();

    void SetMultiChannel(bool on);
    void SetYAutoFit(bool on);
    // Asks for a file and exports to it; the feed pauses meanwhile and catches up afterwards (the lines wait in the
    // PlotQueue with their arrival times).
    void ExportData();
    // Shows the window "二进制帧" (and brings it to the front when it shows already).
    void OpenBinaryFrames();
    // The port's side of the window "二进制帧" (its flow control hooks); the feed's side (counts, apply) is filled in
    // here. May be set before or after the window's first opening.
    void SetBinaryFrameHooks(TBinaryFrameHooks hooks);
    // Binary frames on or off as `settings` say (at construction from the settings file, then from the window).
    void ApplyBinaryFrames(const TBinaryFrameSettings &settings);
    // Null until the window was first opened.
    TBinaryFrameForm *BinaryFrameForm() const { return FBinaryFrameForm; }
    // Opens the trigger's window "触发" (or brings it forward). Null until it was first opened.
    void ShowTriggerForm();
    TTriggerForm *TriggerForm() const { return FTriggerForm; }
    TInstruments &Instruments() const { return *FInstruments; }

private:
    TPlot &FPlot;
    TPlotFeed &FFeed;
    TFeedSchedule &FFeedSchedule;
    std::string FSettingsPath;
    QWidget *FParent;
    TBinaryFrameHooks FBinaryFrameHooks;
    TBinaryFrameForm *FBinaryFrameForm = nullptr; // owned by FParent
    TTriggerForm *FTriggerForm = nullptr; // owned by FParent
    std::unique_ptr<TInstruments> FInstruments;
};
