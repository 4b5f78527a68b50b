// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's additions to the chart's data view menu, with a real chart, feed and settings file: the items
// and their states, the mode kept in the settings file, and the export run under its progress dialog.
#include "console/plotfeed/ChartMenuExtras.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotYAxis.h"
#include "console/instruments/Instruments.h"
#include "console/instruments/MeasurementForm.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/XYForm.h"
#include "console/plotfeed/ChartDataExport.h"
#include "console/plotfeed/FeedSchedule.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "settings/ExtensionSettings.h"
#include "tests/console/MessageBoxRecorder.h"
#include "tests/support/FileBytes.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>

using namespace std::chrono_literals;

namespace
{

struct TExtrasFixture {
    QTemporaryDir Folder;
    std::string SettingsPath = Folder.filePath("setfile.ini").toStdString();
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotQueue Queue;
    TPlotFeed Feed { Queue, Plot };
    TFeedSchedule FeedSchedule { [this] { return !Queue.Empty(); }, [this] { Feed.Step(); } };
    QTimer &FeedTimer = FeedSchedule.Timer();
    QWidget Window;

    TExtrasFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
    }
};

QString Describe(const std::vector<TPlotMenuItem> &items)
{
    QStringList parts;
    for (const TPlotMenuItem &item : items)
        parts << item.Caption + (item.Checkable ? (item.Checked ? "[x]" : "[ ]") : "");
    return parts.join(" | ");
}

} // namespace

TEST(ChartMenuExtras, TheModeIsOffByDefaultSwitchedFromTheMenuAndKeptInTheSettingsFile)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    ASSERT_TRUE(f.Plot.OnDataViewMenuItems);
    EXPECT_EQ(Describe(f.Plot.OnDataViewMenuItems()),
        "多通道模式[ ] | 导出数据 (CSV)… | 二进制帧… | 触发… | 测量[ ] | XY 图… | 频谱… | Y 轴自动适应[ ]");
    EXPECT_FALSE(f.Feed.MultiChannel());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(f.SettingsPath))) << "nothing is written until the user chooses";

    const std::vector<TPlotMenuItem> items = f.Plot.OnDataViewMenuItems();
    f.Plot.OnHostMenuCommand(items[0]);
    EXPECT_FALSE(f.Feed.MultiChannel()) << "the choice runs once the menu has closed";
    QApplication::processEvents();
    EXPECT_TRUE(f.Feed.MultiChannel());
    EXPECT_EQ(Describe(f.Plot.OnDataViewMenuItems()),
        "多通道模式[x] | 导出数据 (CSV)… | 二进制帧… | 触发… | 测量[ ] | XY 图… | 频谱… | Y 轴自动适应[ ]");
    EXPECT_TRUE(ExtensionSettings::ReadFlag(f.SettingsPath, ExtensionSettings::MultiChannelKey, false));

    // The next start reads the mode back.
    TExtrasFixture next;
    std::filesystem::copy_file(f.SettingsPath, next.SettingsPath);
    TChartMenuExtras restarted(next.Plot, next.Feed, next.FeedSchedule, next.SettingsPath, &next.Window);
    EXPECT_TRUE(next.Feed.MultiChannel());
    EXPECT_EQ(next.Plot.Channel(0)->TitleText(), "数据1");

    extras.SetMultiChannel(false);
    EXPECT_FALSE(ExtensionSettings::ReadFlag(f.SettingsPath, ExtensionSettings::MultiChannelKey, false));
    EXPECT_EQ(f.Plot.Channel(0)->TitleText(), "数据");
}

TEST(ChartMenuExtras, AnExportHoldsTheFeedAndCancellingItLeavesNoFile)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    TPlotChannel &channel = *f.Plot.Channel(0);
    for (int i = 0; i < 2'000'000; ++i)
        channel.AddPoint(i * 0.001, i % 1000);
    const QString path = f.Folder.filePath("data.csv");
    const auto previous = SetChartExportFileChooser([&](QWidget *) { return path; });
    f.Queue.AppendChunk("1\n");
    f.FeedSchedule.Wake();
    TMessageBoxRecorder boxes;

    // "取消" as soon as the dialog looks for events: the export stops after its first piece.
    bool feedHeld = false;
    QTimer::singleShot(0, [&] {
        feedHeld = !f.FeedTimer.isActive();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *progress = qobject_cast<QProgressDialog *>(widget))
                progress->cancel();
    });
    extras.ExportData();
    EXPECT_TRUE(feedHeld);
    EXPECT_TRUE(f.FeedTimer.isActive()) << "the feed goes on after the export";
    EXPECT_EQ(QDir(f.Folder.path()).entryList(QDir::Files), QStringList()) << "no file, no temporary file";

    // Left alone, the export writes every point.
    extras.ExportData();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine(), QByteArray("\xEF\xBB\xBFtime_s,数据1\r\n"));
    EXPECT_EQ(file.readLine(), QByteArray("0,0\r\n"));
    int rows = 2;
    while (!file.readLine().isEmpty())
        ++rows;
    EXPECT_EQ(rows, 1 + 2'000'000);
    EXPECT_TRUE(boxes.Boxes.empty());

    // A folder that cannot take the file: a box says so and nothing is left behind.
    SetChartExportFileChooser([&](QWidget *) { return f.Folder.filePath("missing/data.csv"); });
    extras.ExportData();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text.rfind("导出数据失败：", 0), 0u) << boxes.Boxes[0].Text;
    SetChartExportFileChooser(previous);
}

TEST(ChartMenuExtras, AFailedExportReportsInABoxThatIsNotBeneathTheProgressWindow)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    TPlotChannel &channel = *f.Plot.Channel(0);
    for (int i = 0; i < 400'000; ++i)
        channel.AddPoint(i * 0.001, i % 1000);
    const auto previous = SetChartExportFileChooser([&](QWidget *) { return f.Folder.filePath("data.csv"); });
    f.Window.show();

    // The progress window is up (as after its delay in a long export) when the disk fills.
    QTimer::singleShot(0, [] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *progress = qobject_cast<QProgressDialog *>(widget))
                progress->show();
    });
    std::vector<bool> progressShownUnderBox;
    TMessageBoxRecorder boxes;
    boxes.OnShow = [&](const TMessageBoxRequest &) {
        bool shown = false;
        for (QWidget *widget : QApplication::topLevelWidgets())
            shown = shown || (qobject_cast<QProgressDialog *>(widget) && widget->isVisible());
        progressShownUnderBox.push_back(shown);
    };
    {
        TFileSizeLimit full(64 * 1024);
        extras.ExportData();
    }
    SetChartExportFileChooser(previous);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text.rfind("导出数据失败：", 0), 0u) << boxes.Boxes[0].Text;
    EXPECT_EQ(progressShownUnderBox, std::vector<bool> { false }) << "the progress window went before the box came";
}

TEST(ChartMenuExtras, DataArrivingDuringTheExportOfAFullRingWaitsUntilTheExportEnds)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    TPlotChannel &channel = *f.Plot.Channel(0);
    constexpr int Ring = 200'000;
    channel.SetRingBufferSize(Ring);
    for (int i = 0; i < Ring + Ring / 2; ++i)
        channel.AddPoint(i, i);
    const QString path = f.Folder.filePath("full.csv");
    const auto previous = SetChartExportFileChooser([&](QWidget *) { return path; });

    // A device keeps sending while the progress dialog runs: every line wakes the feed, as received data does.
    int arrived = 0;
    QTimer device;
    QObject::connect(&device, &QTimer::timeout, [&] {
        f.Queue.AppendChunk("-7\n-7\n-7\n", 1e9);
        f.FeedSchedule.Wake();
        ++arrived;
    });
    device.start(1);
    extras.ExportData();
    device.stop();
    SetChartExportFileChooser(previous);
    ASSERT_GT(arrived, 0) << "data arrived during the export";

    // The file holds the ring as it stood when the export began: every point once, in order.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    file.readLine();
    int expected = Ring / 2;
    int rows = 0;
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine(), ++expected, ++rows) {
        const QList<QByteArray> cells = line.trimmed().split(',');
        ASSERT_EQ(cells.size(), 2) << "row " << rows;
        ASSERT_EQ(cells[0].toDouble(), expected) << "row " << rows;
        ASSERT_EQ(cells[1].toDouble(), expected) << "row " << rows;
    }
    EXPECT_EQ(rows, Ring);
    EXPECT_TRUE(f.FeedTimer.isActive()) << "the lines that came meanwhile are plotted now";
}

TEST(ChartMenuExtras, BinaryFramesFromTheSettingsFileFeedTheChartAndTheWindowCountsAndSwitchesThem)
{
    TExtrasFixture f;
    TBinaryFrameSettings settings;
    settings.Enabled = true;
    settings.Format.Header = "\xAA";
    settings.Format.Type = TSampleType::UInt8;
    settings.Format.Checksum = TChecksumKind::Xor8;
    ASSERT_TRUE(WriteBinaryFrameSettings(f.SettingsPath, settings));
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    ASSERT_TRUE(f.Feed.ReadsBytes()) << "on from the settings file at start";
    ASSERT_EQ(f.Feed.BinaryFrames(), settings.Format);

    // Two good frames, one with a bad check (its three bytes dropped), one stray byte.
    f.Feed.TakeBytes(std::string("\xAA\x05\x05"
                                 "\xAA\x06\x07"
                                 "\x01"
                                 "\xAA\x07\x07",
                         10),
        {}, 1.0);
    bool xonXoff = true;
    bool switched = false;
    TBinaryFrameHooks hooks;
    hooks.FlowIsXonXoff = [&] { return xonXoff; };
    hooks.SwitchFlowToNone = [&] {
        switched = true;
        xonXoff = false;
    };
    extras.SetBinaryFrameHooks(hooks);
    EXPECT_EQ(extras.BinaryFrameForm(), nullptr) << "made at its first opening";

    const std::vector<TPlotMenuItem> items = f.Plot.OnDataViewMenuItems();
    f.Plot.OnHostMenuCommand(items[2]);
    QApplication::processEvents();
    TBinaryFrameForm *form = extras.BinaryFrameForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "二进制帧");
    EXPECT_EQ(form->GoodFramesValue->text(), "2");
    EXPECT_EQ(form->ChecksumErrorsValue->text(), "1");
    EXPECT_EQ(form->SkippedBytesValue->text(), "4");
    EXPECT_FALSE(form->FlowNotice->isHidden()) << "the X-on/X-off notice";
    form->SwitchFlowClick();
    EXPECT_TRUE(switched);
    form->ClearCountsClick();
    EXPECT_EQ(form->GoodFramesValue->text(), "0");

    // Off through the window: the chart reads lines again, and the file says so.
    form->EnabledBox->setChecked(false);
    ASSERT_TRUE(form->ApplyClick());
    EXPECT_FALSE(f.Feed.ReadsBytes());
    EXPECT_FALSE(ReadBinaryFrameSettings(f.SettingsPath).Enabled);
    form->hide();
}

TEST(ChartMenuExtras, TheInstrumentItemsOpenTheirWindowsAndTheMeasurementsItemFollowsItsWindow)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    TInstruments &instruments = extras.Instruments();
    EXPECT_EQ(instruments.Measurements(), nullptr) << "no window is made before it is asked for";
    EXPECT_EQ(instruments.XY(), nullptr);
    EXPECT_EQ(instruments.Spectrum(), nullptr);
    auto choose = [&](const QString &caption) {
        for (const TPlotMenuItem &item : f.Plot.OnDataViewMenuItems())
            if (item.Caption == caption) {
                f.Plot.OnHostMenuCommand(item);
                QApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no item " << caption.toStdString();
    };

    choose("测量");
    ASSERT_NE(instruments.Measurements(), nullptr);
    EXPECT_TRUE(instruments.Measurements()->isVisible());
    EXPECT_EQ(instruments.Measurements()->windowTitle(), "测量");
    EXPECT_EQ(Describe(f.Plot.OnDataViewMenuItems()),
        "多通道模式[ ] | 导出数据 (CSV)… | 二进制帧… | 触发… | 测量[x] | XY 图… | 频谱… | Y 轴自动适应[ ]");
    choose("测量");
    EXPECT_FALSE(instruments.Measurements()->isVisible());
    EXPECT_EQ(Describe(f.Plot.OnDataViewMenuItems()),
        "多通道模式[ ] | 导出数据 (CSV)… | 二进制帧… | 触发… | 测量[ ] | XY 图… | 频谱… | Y 轴自动适应[ ]");
    // Closing the window switches the measurements off as the item does.
    choose("测量");
    instruments.Measurements()->close();
    EXPECT_EQ(Describe(f.Plot.OnDataViewMenuItems()),
        "多通道模式[ ] | 导出数据 (CSV)… | 二进制帧… | 触发… | 测量[ ] | XY 图… | 频谱… | Y 轴自动适应[ ]");

    choose("XY 图…");
    ASSERT_NE(instruments.XY(), nullptr);
    EXPECT_TRUE(instruments.XY()->isVisible());
    EXPECT_EQ(instruments.XY()->windowTitle(), "XY 图");
    choose("频谱…");
    ASSERT_NE(instruments.Spectrum(), nullptr);
    EXPECT_TRUE(instruments.Spectrum()->isVisible());
    EXPECT_EQ(instruments.Spectrum()->windowTitle(), "频谱");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(f.SettingsPath))) << "the instruments write no setting";
}

TEST(ChartMenuExtras, YAutoFitIsOffByDefaultSwitchedFromTheMenuAndKept)
{
    TExtrasFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    for (int i = 0; i < 400; ++i)
        f.Plot.Channel(0)->AddPoint(i / 200.0, std::sin(2 * std::numbers::pi * 5 * i / 200.0));
    const TPlotYAxis &y = *f.Plot.YAxis(0);
    PumpFor(100ms);
    EXPECT_FALSE(f.Plot.YAutoFit());
    EXPECT_GE(y.Span(), 100) << "off: the axis only widens, the sine is a flat line";

    auto choose = [&] {
        const std::vector<TPlotMenuItem> items = f.Plot.OnDataViewMenuItems();
        ASSERT_EQ(items.back().Caption, "Y 轴自动适应");
        f.Plot.OnHostMenuCommand(items.back());
        QApplication::processEvents();
    };
    choose();
    EXPECT_TRUE(f.Plot.YAutoFit());
    EXPECT_TRUE(f.Plot.OnDataViewMenuItems().back().Checked);
    EXPECT_TRUE(WaitUntil([&] { return y.Min() >= -1.25 && y.Max() <= 1.25; })) << y.Min() << " " << y.Max();
    EXPECT_NE(FileBytes(f.SettingsPath).find("y_autofit=1"), std::string::npos);

    // The next start reads it back; off again, it is kept off.
    TExtrasFixture next;
    std::filesystem::copy_file(f.SettingsPath, next.SettingsPath);
    TChartMenuExtras restarted(next.Plot, next.Feed, next.FeedSchedule, next.SettingsPath, &next.Window);
    EXPECT_TRUE(next.Plot.YAutoFit());
    choose();
    EXPECT_FALSE(f.Plot.YAutoFit());
    EXPECT_FALSE(ExtensionSettings::ReadFlag(f.SettingsPath, ExtensionSettings::YAutoFitKey, true));
}
