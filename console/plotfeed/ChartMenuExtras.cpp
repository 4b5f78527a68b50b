// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/ChartMenuExtras.h"

#include "chart/Plot.h"
#include "console/instruments/Instruments.h"
#include "console/plotfeed/ChartDataExport.h"
#include "console/plotfeed/FeedSchedule.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/TriggerForm.h"
#include "console/plotfeed/TriggerSettings.h"
#include "settings/ExtensionSettings.h"
#include "ui/ToolWindowPlacement.h"

#include <QTimer>

TChartMenuExtras::TChartMenuExtras(
    TPlot &plot, TPlotFeed &feed, TFeedSchedule &feedSchedule, std::string settingsPath, QWidget *parent)
    : FPlot(plot)
    , FFeed(feed)
    , FFeedSchedule(feedSchedule)
    , FSettingsPath(std::move(settingsPath))
    , FParent(parent)
    , FInstruments(std::make_unique<TInstruments>(plot, parent))
{
    if (ExtensionSettings::ReadFlag(FSettingsPath, ExtensionSettings::MultiChannelKey, false))
        FFeed.SetMultiChannel(true);
    FPlot.SetYAutoFit(ExtensionSettings::ReadFlag(FSettingsPath, ExtensionSettings::YAutoFitKey, false));
    ApplyBinaryFrames(ReadBinaryFrameSettings(FSettingsPath));
    SetBinaryFrameHooks({});
    FPlot.Trigger().SetSettings(LoadTriggerSettings(FSettingsPath));

    FPlot.OnDataViewMenuItems = [this] {
        std::vector<TPlotMenuItem> items(8);
        items[0].Caption = QStringLiteral("多通道模式");
        items[0].Command = pmcHost;
        items[0].HostCommand = cmdMultiChannel;
        items[0].Checkable = true;
        items[0].Checked = FFeed.MultiChannel();
        items[0].SeparatorBefore = true;
        items[1].Caption = QStringLiteral("导出数据 (CSV)…");
        items[1].Command = pmcHost;
        items[1].HostCommand = cmdExportData;
        items[2].Caption = QStringLiteral("二进制帧…");
        items[2].Command = pmcHost;
        items[2].HostCommand = cmdBinaryFrames;
        items[3].Caption = QStringLiteral("触发…");
        items[3].Command = pmcHost;
        items[3].HostCommand = cmdTrigger;
        items[4].Caption = QStringLiteral("测量");
        items[4].Checkable = true;
        items[4].Checked = FInstruments->MeasurementsOn();
        items[4].SeparatorBefore = true;
        items[5].Caption = QStringLiteral("XY 图…");
        items[6].Caption = QStringLiteral("频谱…");
        for (int i = 4; i < 7; ++i) {
            items[i].Command = pmcHost;
            items[i].HostCommand = cmdMeasurements + i - 4;
        }
        items[7].Caption = QStringLiteral("Y 轴自动适应");
        items[7].Command = pmcHost;
        items[7].HostCommand = cmdYAutoFit;
        items[7].Checkable = true;
        items[7].Checked = FPlot.YAutoFit();
        items[7].SeparatorBefore = true;
        return items;
    };
    FPlot.OnHostMenuCommand = [this](const TPlotMenuItem &item) {
        // The menu is still closing: act once it is gone, so that a dialog does not open under it.
        const int command = item.HostCommand;
        QTimer::singleShot(0, FParent, [this, command] {
            if (command == cmdMultiChannel)
                SetMultiChannel(!FFeed.MultiChannel());
            else if (command == cmdExportData)
                ExportData();
            else if (command == cmdBinaryFrames)
                OpenBinaryFrames();
            else if (command == cmdTrigger)
                ShowTriggerForm();
            else if (command == cmdMeasurements)
                FInstruments->SetMeasurementsOn(!FInstruments->MeasurementsOn());
            else if (command == cmdXY)
                FInstruments->ShowXY();
            else if (command == cmdSpectrum)
                FInstruments->ShowSpectrum();
            else if (command == cmdYAutoFit)
                SetYAutoFit(!FPlot.YAutoFit());
        });
    };
}

TChartMenuExtras::~TChartMenuExtras() = default;

void TChartMenuExtras::SetMultiChannel(bool on)
{
    FFeed.SetMultiChannel(on);
    // A settings file that cannot be written keeps the mode for this run only, as with any unsaved choice.
    ExtensionSettings::WriteFlag(FSettingsPath, ExtensionSettings::MultiChannelKey, on);
}

void TChartMenuExtras::SetYAutoFit(bool on)
{
    FPlot.SetYAutoFit(on);
    // As with the mode: a settings file that cannot be written keeps the choice for this run only.
    ExtensionSettings::WriteFlag(FSettingsPath, ExtensionSettings::YAutoFitKey, on);
}

void TChartMenuExtras::ExportData()
{
    const QString path = ChooseChartExportFile(FParent);
    if (path.isEmpty())
        return;
    // Held until the export ends, however much arrives meanwhile: the points must not move under the writer.
    FFeedSchedule.Pause();
    struct TResume {
        TFeedSchedule &Schedule;
        ~TResume() { Schedule.Resume(); }
    } resume { FFeedSchedule };
    ExportChartData(FPlot, path, FParent);
}

void TChartMenuExtras::ShowTriggerForm()
{
    if (!FTriggerForm)
        FTriggerForm = new TTriggerForm(FPlot, FSettingsPath, FParent);
    FTriggerForm->Refresh();
    ShowBeside(FTriggerForm, FParent);
}

void TChartMenuExtras::OpenBinaryFrames()
{
    if (!FBinaryFrameForm)
        FBinaryFrameForm = new TBinaryFrameForm(FSettingsPath, FBinaryFrameHooks, FParent);
    FBinaryFrameForm->show();
    FBinaryFrameForm->raise();
    FBinaryFrameForm->activateWindow();
}

void TChartMenuExtras::ApplyBinaryFrames(const TBinaryFrameSettings &settings)
{
    FFeed.SetBinaryFrames(settings.Enabled ? std::optional<TFrameFormat>(settings.Format) : std::nullopt);
    // Samples may wait now, or no longer: the schedule looks again.
    FFeedSchedule.Wake();
}

void TChartMenuExtras::SetBinaryFrameHooks(TBinaryFrameHooks hooks)
{
    // The feed's side is this object's own; the caller gives the port's side.
    hooks.Counts = [this] { return FFeed.ReadsBytes() ? FFeed.DecoderCounts() : TDecoderCounts {}; };
    hooks.ResetCounts = [this] {
        if (FFeed.ReadsBytes())
            FFeed.ResetDecoderCounts();
    };
    hooks.Apply = [this](const TBinaryFrameSettings &settings) { ApplyBinaryFrames(settings); };
    FBinaryFrameHooks = std::move(hooks);
    if (FBinaryFrameForm)
        FBinaryFrameForm->SetHooks(FBinaryFrameHooks);
}
