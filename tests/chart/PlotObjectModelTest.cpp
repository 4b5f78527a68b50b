// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotDataView.h"
#include "chart/PlotError.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotYAxis.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{

// A chart's objects without a control: every change is counted.
struct TObjects {
    TPlotManualClock Clock;
    int Changes = 0;
    TPlotMasterManager Master { Clock, [this] { ++Changes; } };
};

std::string ConstructionError(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
{
    try {
        TPlotXAxis axis(owner, hooks);
    } catch (const EPlotError &error) {
        return error.what();
    }
    return "";
}

TEST(PlotObjectModel, ObjectsNeedAnOwnerAndAllHooks)
{
    TObjects objects;
    const TPlotObjectHooks all = objects.Master.Hooks();
    EXPECT_EQ(ConstructionError(nullptr, all), "Owner must be assigned");
    struct TCase {
        std::function<void(TPlotObjectHooks &)> Clear;
        const char *Text;
    };
    const TCase cases[] = {
        { [](TPlotObjectHooks &h) { h.OnChange = nullptr; }, "OnChange event handler can not be null" },
        { [](TPlotObjectHooks &h) { h.OnInsert = nullptr; }, "OnInsert event handler can not be null" },
        { [](TPlotObjectHooks &h) { h.OnRemove = nullptr; }, "OnRemove event handler can not be null" },
        { [](TPlotObjectHooks &h) { h.OnRename = nullptr; }, "AOnRename event handler can not be null" },
    };
    for (const TCase &c : cases) {
        TPlotObjectHooks hooks = all;
        c.Clear(hooks);
        EXPECT_EQ(ConstructionError(&objects.Master, hooks), c.Text);
    }
    EXPECT_EQ(ConstructionError(&objects.Master, all), "");
}

TEST(PlotObjectModel, AccessorsRaiseTheListIndexError)
{
    TStripChart chart;
    try {
        chart.Plot->Channel(1);
        FAIL() << "no error";
    } catch (const EPlotError &error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(chart.Plot->XAxis(-1), EPlotError);
    EXPECT_NO_THROW(chart.Plot->YAxis(0));
}

TEST(PlotObjectModel, OnlyRealChangesAreNotified)
{
    TObjects objects;
    TPlotXAxis *axis = objects.Master.XAxes().Add();
    EXPECT_EQ(axis->Name(), "X-Axis 1");
    int before = objects.Changes;
    axis->SetTitle(axis->Title());
    axis->SetSpan(100);
    axis->SetMinSpan(0, 100);
    EXPECT_EQ(objects.Changes, before);
    axis->SetTitle("Time (Seconds)");
    EXPECT_GT(objects.Changes, before);
}

TEST(PlotObjectModel, SpanAndMinAreClamped)
{
    TObjects objects;
    TPlotXAxis &axis = *objects.Master.XAxes().Add();
    axis.SetSpan(0);
    EXPECT_EQ(axis.Span(), 1e-300);
    axis.SetSpan(-5);
    EXPECT_EQ(axis.Span(), 1e-300);
    axis.SetSpan(1e301);
    EXPECT_EQ(axis.Span(), 1e300);
    axis.SetMin(-1e305);
    EXPECT_EQ(axis.Min(), -1e300);
    axis.SetMin(std::nan(""));
    EXPECT_EQ(axis.Min(), -1e300);
}

TEST(PlotObjectModel, AxisEventsCarryTheOldValues)
{
    TObjects objects;
    TPlotMasterManager &master = objects.Master;
    master.XAxes().Add();
    TPlotXAxis &axis = *master.XAxes().Add();
    std::vector<std::string> events;
    master.OnXAxisMinChange
        = [&](int i, double old) { events.push_back("min " + std::to_string(i) + " " + std::to_string(int(old))); };
    master.OnXAxisSpanChange
        = [&](int i, double old) { events.push_back("span " + std::to_string(i) + " " + std::to_string(int(old))); };
    master.OnXAxisMinSpanChange = [&](int i, double oldMin, double oldSpan) {
        events.push_back(
            "minspan " + std::to_string(i) + " " + std::to_string(int(oldMin)) + " " + std::to_string(int(oldSpan)));
    };
    axis.SetMinSpan(10, 20);
    EXPECT_EQ(events, (std::vector<std::string> { "min 1 0", "span 1 100", "minspan 1 0 100" }));
    events.clear();
    axis.SetSpan(30);
    EXPECT_EQ(events, (std::vector<std::string> { "span 1 20", "minspan 1 10 20" }));
    events.clear();
    master.SetLoading(true);
    axis.SetMin(99);
    master.SetLoading(false);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(axis.Min(), 99);
}

TEST(PlotObjectModel, ResumeRestoresOrKeepsTheRange)
{
    TObjects objects;
    TPlotXAxis &axis = *objects.Master.XAxes().Add();
    axis.SetMinSpan(10, 5);
    axis.SetTrackingEnabled(false);
    axis.SetMinSpan(50, 2);
    axis.SetTrackingEnabled(true);
    EXPECT_EQ(axis.Min(), 10);
    EXPECT_EQ(axis.Span(), 5);

    axis.SetRestoreValuesOnResume(false);
    axis.SetTrackingEnabled(false);
    axis.SetMinSpan(50, 2);
    axis.SetTrackingEnabled(true);
    EXPECT_EQ(axis.Min(), 50);
    EXPECT_EQ(axis.Span(), 2);
}

TEST(PlotObjectModel, LinksFollowRenamedAxesAndDropRemovedOnes)
{
    TObjects objects;
    TPlotMasterManager &master = objects.Master;
    TPlotXAxis *axis = master.XAxes().Add();
    master.YAxes().Add();
    auto *channel = master.Channels().Add<TPlotChannel>();
    TPlotDataView *view = master.DataViews().Add();
    view->SetGridXAxisName("X-Axis 1");
    EXPECT_EQ(channel->Name(), "Channel 1");
    EXPECT_EQ(channel->TitleText(), "Channel 1");
    EXPECT_EQ(channel->Color(), QColor(255, 0, 0));
    EXPECT_EQ(channel->XAxisName(), "X-Axis 1");
    EXPECT_EQ(channel->YAxisName(), "Y-Axis 1");

    axis->SetName("Time");
    EXPECT_EQ(channel->XAxisName(), "Time");
    EXPECT_EQ(channel->XAxis(), axis);
    EXPECT_EQ(view->GridXAxisName(), "Time");

    master.XAxes().Remove(0);
    EXPECT_EQ(channel->XAxis(), nullptr);
    EXPECT_EQ(view->GridXAxis(), nullptr);
    channel->AddPoint(1, 1); // no X axis to track: nothing fails
    TPlotXAxis *replacement = master.XAxes().Add("Time");
    EXPECT_EQ(channel->XAxis(), replacement);
    EXPECT_EQ(master.Channels().Add<TPlotChannel>()->Name(), "Channel 2");
}

TEST(PlotObjectModel, StartTimeIsTheChannelsConstruction)
{
    TStripChart chart;
    TDateTime start = chart.Clock.Now();
    EXPECT_EQ(chart.Plot->Channel(0)->StartTime(), start);
    chart.AddAfter(1.5, 7);
    EXPECT_NEAR(chart.Plot->Channel(0)->X(0), 1.5, 1e-6);
    chart.Plot->Channel(0)->Clear();
    EXPECT_EQ(chart.Plot->Channel(0)->StartTime(), start);
}

} // namespace
