// SPDX-License-Identifier: GPL-3.0-or-later
// The trigger's window and its settings: opened from the chart's menu, every change applied to the chart at once and
// kept in the settings file, a bad level refused with a message and nothing lost.
#include "console/plotfeed/TriggerForm.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotTrigger.h"
#include "console/plotfeed/ChartMenuExtras.h"
#include "console/plotfeed/FeedSchedule.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/plotfeed/TriggerSettings.h"
#include "settings/ExtensionSettings.h"
#include "tests/console/MessageBoxRecorder.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace
{

struct TTriggerFixture {
    QTemporaryDir Folder;
    std::string SettingsPath = Folder.filePath("setfile.ini").toStdString();
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotQueue Queue;
    TPlotFeed Feed { Queue, Plot };
    TFeedSchedule FeedSchedule { [this] { return !Queue.Empty(); }, [this] { Feed.Step(); } };
    QWidget Window;

    TTriggerFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
    }

    void WriteSettings(const std::vector<std::pair<const char *, const char *>> &values)
    {
        for (const auto &[key, value] : values)
            ExtensionSettings::WriteText(SettingsPath, key, value);
    }
};

struct TSettingsCase {
    const char *Name;
    std::vector<std::pair<const char *, const char *>> File; // the extension section's keys and values
    TPlotTriggerSettings Expected;
};

void PrintTo(const TSettingsCase &c, std::ostream *out)
{
    *out << c.Name;
}

class TriggerSettingsFile : public testing::TestWithParam<TSettingsCase>
{
};

TEST_P(TriggerSettingsFile, ReadsWhatItCanAndDefaultsTheRest)
{
    TTriggerFixture f;
    f.WriteSettings(GetParam().File);
    EXPECT_EQ(LoadTriggerSettings(f.SettingsPath), GetParam().Expected);
}

TPlotTriggerSettings Made(bool on, int source, double level, TTriggerEdge edge, TTriggerMode mode, double position)
{
    return TPlotTriggerSettings { on, source, level, edge, mode, position };
}

INSTANTIATE_TEST_SUITE_P(Table, TriggerSettingsFile,
    testing::Values(TSettingsCase { "nothing stored: the defaults", {}, TPlotTriggerSettings {} },
        TSettingsCase { "everything stored",
            { { "trigger", "1" }, { "triggersource", "2" }, { "triggerlevel", "-1.5" }, { "triggeredge", "falling" },
                { "triggermode", "single" }, { "triggerposition", "50" } },
            Made(true, 2, -1.5, TTriggerEdge::Falling, TTriggerMode::Single, 50) },
        TSettingsCase { "normal mode", { { "triggermode", "normal" } },
            Made(false, 0, 0, TTriggerEdge::Rising, TTriggerMode::Normal, 10) },
        TSettingsCase { "unreadable values",
            { { "triggersource", "x" }, { "triggerlevel", "abc" }, { "triggeredge", "up" },
                { "triggermode", "sometimes" }, { "triggerposition", "many" } },
            TPlotTriggerSettings {} },
        TSettingsCase { "out of range",
            { { "triggersource", "-3" }, { "triggerposition", "250" }, { "triggerlevel", "1e999" } },
            Made(false, 0, 0, TTriggerEdge::Rising, TTriggerMode::Auto, 100) }),
    [](const testing::TestParamInfo<TSettingsCase> &info) { return "Case" + std::to_string(info.index); });

TEST(TriggerForm, OpensFromTheChartMenuWithTheDefaultsAndAppliesAndKeepsEachChange)
{
    TTriggerFixture f;
    TChartMenuExtras extras(f.Plot, f.Feed, f.FeedSchedule, f.SettingsPath, &f.Window);
    const std::vector<TPlotMenuItem> items = f.Plot.OnDataViewMenuItems();
    ASSERT_GE(items.size(), 4u);
    ASSERT_EQ(items[3].Caption, QStringLiteral("触发…"));
    f.Plot.OnHostMenuCommand(items[3]);
    QApplication::processEvents();
    TTriggerForm *form = extras.TriggerForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("触发"));

    EXPECT_FALSE(form->EnableBox->isChecked());
    EXPECT_EQ(form->EnableBox->text(), QStringLiteral("启用触发"));
    EXPECT_EQ(form->SourceBox->currentText(), QStringLiteral("数据"));
    EXPECT_EQ(form->LevelEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(form->EdgeBox->currentText(), QStringLiteral("上升沿"));
    EXPECT_EQ(form->ModeBox->currentText(), QStringLiteral("自动"));
    EXPECT_EQ(form->PositionBox->value(), 10);
    EXPECT_FALSE(form->RearmButton->isEnabled()) << "re-arming is for a single trigger";
    EXPECT_FALSE(QFile::exists(QString::fromStdString(f.SettingsPath))) << "nothing written until the user changes it";

    form->EnableBox->setChecked(true);
    form->LevelEdit->setText(QStringLiteral("2.5"));
    emit form->LevelEdit->editingFinished();
    form->EdgeBox->setCurrentIndex(1);
    form->ModeBox->setCurrentText(QStringLiteral("单次"));
    form->PositionBox->setValue(50);
    EXPECT_TRUE(form->RearmButton->isEnabled());

    const TPlotTriggerSettings expected = Made(true, 0, 2.5, TTriggerEdge::Falling, TTriggerMode::Single, 50);
    EXPECT_EQ(f.Plot.Trigger().Settings(), expected);
    // "重新触发" arms the single trigger again once it has taken its trigger (a square wave through the level).
    f.Plot.Trigger().Update();
    for (int i = 0; i < 400; ++i)
        f.Plot.Channel(0)->AddPoint(i * 0.01, i % 40 < 20 ? 5.0 : 0.0);
    f.Plot.Trigger().Update();
    ASSERT_TRUE(f.Plot.Trigger().Hold().Shown());
    EXPECT_FALSE(f.Plot.Trigger().Hold().Armed());
    form->RearmButton->click();
    EXPECT_TRUE(f.Plot.Trigger().Hold().Armed());
    EXPECT_EQ(LoadTriggerSettings(f.SettingsPath), expected);

    // The next start reads them back.
    TTriggerFixture next;
    QFile::copy(QString::fromStdString(f.SettingsPath), QString::fromStdString(next.SettingsPath));
    TChartMenuExtras restarted(next.Plot, next.Feed, next.FeedSchedule, next.SettingsPath, &next.Window);
    EXPECT_EQ(next.Plot.Trigger().Settings(), expected);
}

TEST(TriggerForm, ABadLevelIsRefusedWithAMessageAndTheLevelInForceStays)
{
    TTriggerFixture f;
    TMessageBoxRecorder boxes;
    TTriggerForm form(f.Plot, f.SettingsPath, &f.Window);
    form.LevelEdit->setText(QStringLiteral("1.25"));
    emit form.LevelEdit->editingFinished();
    for (const char *bad : { "abc", "", "1..2", "1e999" }) {
        SCOPED_TRACE(bad);
        form.LevelEdit->setText(QString::fromUtf8(bad));
        emit form.LevelEdit->editingFinished();
        EXPECT_EQ(f.Plot.Trigger().Settings().Level, 1.25);
        EXPECT_EQ(form.LevelEdit->text(), QStringLiteral("1.25"));
    }
    ASSERT_EQ(boxes.Boxes.size(), 4u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "触发");
    EXPECT_EQ(LoadTriggerSettings(f.SettingsPath).Level, 1.25);
}

TEST(TriggerForm, ListsTheChartsChannelsAsSources)
{
    TTriggerFixture f;
    TTriggerForm form(f.Plot, f.SettingsPath, &f.Window);
    MultiChannelAt(f.Plot, 2);
    form.Refresh();
    ASSERT_EQ(form.SourceBox->count(), 3);
    EXPECT_EQ(form.SourceBox->itemText(2), QStringLiteral("数据3"));
    form.SourceBox->setCurrentIndex(2);
    EXPECT_EQ(f.Plot.Trigger().Settings().Source, 2);

    // A source whose channel is gone shows as no choice and is kept for when it comes back.
    auto &channels = f.Plot.Master().Channels();
    while (channels.Count() > 1)
        channels.Remove(channels.Count() - 1);
    form.Refresh();
    EXPECT_EQ(form.SourceBox->currentIndex(), -1);
    EXPECT_EQ(f.Plot.Trigger().Settings().Source, 2);
}

TEST(TriggerForm, WhileOpenTheSourcesFollowChannelsThatAppearOrAreRenamed)
{
    TTriggerFixture f;
    TPlotTriggerSettings settings;
    settings.Source = 2;
    f.Plot.Trigger().SetSettings(settings);
    TTriggerForm form(f.Plot, f.SettingsPath, &f.Window);
    form.show();
    ASSERT_EQ(form.SourceBox->count(), 1);
    EXPECT_EQ(form.SourceBox->itemText(0), QStringLiteral("数据"));
    EXPECT_EQ(form.SourceBox->currentIndex(), -1) << "the source is not there yet";

    auto sources = [&] {
        QStringList titles;
        for (int i = 0; i < form.SourceBox->count(); ++i)
            titles << form.SourceBox->itemText(i);
        return titles.join(',');
    };
    f.Feed.SetMultiChannel(true);
    EXPECT_TRUE(WaitUntil([&] { return sources() == "数据1"; })) << sources().toStdString();
    f.Queue.AppendChunk("1,2,3\n", 1.0);
    f.Feed.Step();
    EXPECT_TRUE(WaitUntil([&] { return sources() == "数据1,数据2,数据3"; })) << sources().toStdString();
    EXPECT_EQ(form.SourceBox->currentText(), QStringLiteral("数据3")) << "the source in force, now there";
    EXPECT_EQ(f.Plot.Trigger().Settings(), settings) << "following the channels changes no setting";
    EXPECT_FALSE(QFile::exists(QString::fromStdString(f.SettingsPath)));
}

} // namespace
