// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotTrigger.h"
#include "chart/PlotYAxis.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
#include <vector>

namespace
{

// ---- Crossings ----

struct TPoint {
    double X;
    double Y;
    uint16_t Flags = 0;
};

struct TCrossingCase {
    const char *Name;
    TTriggerCondition Condition;
    std::vector<TPoint> Points;
    std::vector<double> Expected; // crossing times, in order
};

void PrintTo(const TCrossingCase &c, std::ostream *out)
{
    *out << c.Name;
}

constexpr TTriggerCondition Rising0 { 0.0, TTriggerEdge::Rising, 0.0 };
constexpr TTriggerCondition Falling0 { 0.0, TTriggerEdge::Falling, 0.0 };
const uint16_t Null = PlotPointFlags::Null;
const uint16_t Empty = PlotPointFlags::Empty;

class TriggerCrossings : public testing::TestWithParam<TCrossingCase>
{
};

TEST_P(TriggerCrossings, FoundAtTheirInterpolatedTimes)
{
    TTriggerScan scan(GetParam().Condition);
    std::vector<double> found;
    for (const TPoint &p : GetParam().Points)
        if (std::optional<double> time = scan.Take(p.X, p.Y, p.Flags))
            found.push_back(*time);
    ASSERT_EQ(found.size(), GetParam().Expected.size());
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_NEAR(found[i], GetParam().Expected[i], 1e-12) << "crossing " << i;
}

INSTANTIATE_TEST_SUITE_P(Table, TriggerCrossings,
    testing::Values(TCrossingCase { "rising edge halfway", Rising0, { { 0, -1 }, { 1, 1 } }, { 0.5 } },
        TCrossingCase { "interpolated between unequal steps", Rising0, { { 10, -2 }, { 12, 6 } }, { 10.5 } },
        TCrossingCase { "level other than zero", { 2.5, TTriggerEdge::Rising, 0 }, { { 0, 0 }, { 1, 5 } }, { 0.5 } },
        TCrossingCase { "falling edge ignored when rising", Rising0, { { 0, 1 }, { 1, -1 } }, {} },
        TCrossingCase { "falling edge", Falling0, { { 0, 1 }, { 1, -3 } }, { 0.25 } },
        TCrossingCase { "rising edge ignored when falling", Falling0, { { 0, -1 }, { 1, 1 } }, {} },
        TCrossingCase { "through a point exactly on the level", Rising0, { { 0, -1 }, { 1, 0 }, { 2, 1 } }, { 1.0 } },
        TCrossingCase { "touching the level from below", Rising0, { { 0, -1 }, { 1, 0 }, { 2, -1 } }, {} },
        TCrossingCase { "touching the level from above", Rising0, { { 0, 1 }, { 1, 0 }, { 2, 1 } }, {} },
        TCrossingCase { "flat on the level", Rising0, { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 3, 0 } }, {} },
        TCrossingCase { "flat below the level", Rising0, { { 0, -1 }, { 1, -1 }, { 2, -1 } }, {} },
        TCrossingCase { "starting above the level", Rising0, { { 0, 1 }, { 1, 2 }, { 2, -1 }, { 3, 1 } }, { 2.5 } },
        TCrossingCase { "one crossing each period", Rising0,
            { { 0, -1 }, { 1, 1 }, { 2, -1 }, { 3, 1 }, { 4, -1 }, { 5, 1 } }, { 0.5, 2.5, 4.5 } },
        TCrossingCase { "noise around the level without hysteresis", Rising0,
            { { 0, -1 }, { 1, 0.05 }, { 2, -0.05 }, { 3, 0.04 }, { 4, -0.03 }, { 5, 0.06 }, { 6, 1 } },
            { 1 / 1.05, 2 + 0.05 / 0.09, 4 + 0.03 / 0.09 } },
        TCrossingCase { "noise around the level with hysteresis", { 0.0, TTriggerEdge::Rising, 0.1 },
            { { 0, -1 }, { 1, 0.05 }, { 2, -0.05 }, { 3, 0.04 }, { 4, -0.03 }, { 5, 0.06 }, { 6, 1 } }, { 1 / 1.05 } },
        TCrossingCase { "hysteresis: a dip not deep enough does not arm", { 0.0, TTriggerEdge::Rising, 0.5 },
            { { 0, 1 }, { 1, -0.4 }, { 2, 1 } }, {} },
        TCrossingCase { "a null point breaks the trace", Rising0, { { 0, -1 }, { 1, 5, Null }, { 2, 1 } }, {} },
        TCrossingCase { "an empty point is skipped", Rising0, { { 0, -1 }, { 1, 5, Empty }, { 2, 1 } }, { 1.0 } },
        TCrossingCase { "a NaN breaks the trace", Rising0, { { 0, -1 }, { 1, NAN }, { 2, 1 } }, {} },
        TCrossingCase { "a step back in time breaks the trace", Rising0, { { 5, -1 }, { 2, 1 } }, {} },
        TCrossingCase { "after a step back the trace goes on", Rising0, { { 5, -1 }, { 2, -1 }, { 3, 1 } }, { 2.5 } }),
    [](const testing::TestParamInfo<TCrossingCase> &info) {
        std::string name = info.param.Name;
        for (char &c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(TriggerScanStore, PointsPastTheLimitWaitAndACrossingSplitAcrossCallsIsFoundOnce)
{
    TPlotDataNullList store;
    for (double y : { -1.0, -0.5, 0.5, 1.0, -1.0, 1.0 })
        store.Add(store.Count(), y, 0);
    TTriggerScan scan(Rising0);
    std::vector<double> found;
    auto take = [&](double time) { found.push_back(time); };
    // Up to X = 1: the pair around the first crossing is split between the calls.
    EXPECT_EQ(ScanForTriggers(store, 0, 1.0, scan, take), 2);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(ScanForTriggers(store, 2, 4.5, scan, take), 5);
    EXPECT_EQ(found, std::vector<double> { 1.5 });
    EXPECT_EQ(ScanForTriggers(store, 5, 100.0, scan, take), 6);
    EXPECT_EQ(found, (std::vector<double> { 1.5, 4.5 }));
}

// ---- Holding the view ----

enum class TEvent { Trigger, Elapse, Rearm };

// One step on a settable clock: at data time Now, a trigger at Time, the passing of time with a span of 1, or a
// re-arm; then the view expected.
struct THoldStep {
    TEvent Event;
    double Now;
    double Time = 0;
    std::optional<double> Shown = {};
    bool Following = false;
};

struct THoldCase {
    const char *Name;
    TTriggerMode Mode;
    std::vector<THoldStep> Steps;
};

void PrintTo(const THoldCase &c, std::ostream *out)
{
    *out << c.Name;
}

class TriggerHolding : public testing::TestWithParam<THoldCase>
{
};

TEST_P(TriggerHolding, ShowsTheTriggerItsModeChooses)
{
    TTriggerHold hold;
    hold.Start(GetParam().Mode, 0.0);
    EXPECT_FALSE(hold.Shown());
    EXPECT_FALSE(hold.Following());
    int step = 0;
    for (const THoldStep &s : GetParam().Steps) {
        SCOPED_TRACE(testing::Message() << "step " << step++);
        switch (s.Event) {
        case TEvent::Trigger:
            hold.Trigger(s.Time, s.Now);
            hold.Elapse(s.Now, 1.0);
            break;
        case TEvent::Elapse:
            hold.Elapse(s.Now, 1.0);
            break;
        case TEvent::Rearm:
            hold.Rearm(s.Now);
            break;
        }
        EXPECT_EQ(hold.Shown(), s.Shown);
        EXPECT_EQ(hold.Following(), s.Following);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TriggerHolding,
    testing::Values(THoldCase { "normal: each newer trigger, held however long", TTriggerMode::Normal,
                        { { TEvent::Elapse, 10 }, { TEvent::Trigger, 11, 10.5, 10.5 },
                            { TEvent::Trigger, 12, 11.5, 11.5 }, { TEvent::Elapse, 100, 0, 11.5 } } },
        THoldCase { "single: the first trigger until re-armed", TTriggerMode::Single,
            { { TEvent::Trigger, 1, 0.5, 0.5 }, { TEvent::Trigger, 2, 1.5, 0.5 }, { TEvent::Elapse, 100, 0, 0.5 },
                { TEvent::Rearm, 100, 0, 0.5 },
                // happened before the re-arm: not taken
                { TEvent::Trigger, 101, 99.5, 0.5 }, { TEvent::Trigger, 102, 101.5, 101.5 },
                { TEvent::Trigger, 103, 102.5, 101.5 } } },
        THoldCase { "auto: held for two spans, then following until the next trigger", TTriggerMode::Auto,
            { { TEvent::Trigger, 1, 0.5, 0.5 }, { TEvent::Elapse, 2.9, 0, 0.5 },
                { TEvent::Elapse, 3.0, 0, std::nullopt, true }, { TEvent::Elapse, 50, 0, std::nullopt, true },
                { TEvent::Trigger, 51, 50.5, 50.5 }, { TEvent::Trigger, 51.5, 51.0, 51.0 } } },
        THoldCase { "auto: following two spans after the start without a trigger", TTriggerMode::Auto,
            { { TEvent::Elapse, 1.9, 0, std::nullopt }, { TEvent::Elapse, 2.0, 0, std::nullopt, true } } }),
    [](const testing::TestParamInfo<THoldCase> &info) { return "Case" + std::to_string(info.index); });

// ---- On the chart ----

constexpr double SampleRate = 200;
constexpr double SineHz = 5;

// A 5 Hz sine sampled 200 times a second, dated by the chart's clock, from sample `from` on.
void AddSine(TStripChart &chart, int from, int samples, double amplitude = 1)
{
    constexpr double phase = 0.3;
    for (int k = from; k < from + samples; ++k)
        chart.AddAfter(1 / SampleRate, amplitude * std::sin(2 * std::numbers::pi * SineHz * k / SampleRate + phase));
}

// The trace's Y at time x, read off the store by straight lines.
double TraceAt(TPlotChannel &channel, double x)
{
    for (int i = 1; i < channel.Count(); ++i)
        if (channel.X(i) >= x)
            return channel.Y(i - 1)
                + (channel.Y(i) - channel.Y(i - 1)) * (x - channel.X(i - 1)) / (channel.X(i) - channel.X(i - 1));
    return NAN;
}

TPlotTriggerSettings NormalAtMiddle()
{
    TPlotTriggerSettings settings;
    settings.Enabled = true;
    settings.Mode = TTriggerMode::Normal;
    settings.Position = 50;
    return settings;
}

TEST(ChartTrigger, HoldsTheSpanAroundTheLatestCompleteTriggerAtItsPosition)
{
    TStripChart chart;
    AddSine(chart, 0, 400);
    TPlotXAxis &axis = *chart.Plot->XAxis(0);
    TPlotChannel &channel = *chart.Plot->Channel(0);
    chart.Plot->Trigger().SetSettings(NormalAtMiddle());
    chart.Plot->Trigger().Update();

    ASSERT_TRUE(chart.Plot->Trigger().Hold().Shown());
    const double trigger = *chart.Plot->Trigger().Hold().Shown();
    const double newest = channel.X(channel.Count() - 1);
    EXPECT_DOUBLE_EQ(axis.Min(), trigger - 0.5);
    EXPECT_DOUBLE_EQ(axis.Span(), 1.0);
    // The whole span has arrived, and no later trigger has: the next rising crossing lies less than half a span
    // before the newest point, or after it.
    EXPECT_LE(axis.Max(), newest);
    EXPECT_GT(trigger + 1 / SineHz + 0.5, newest);
    // The trace crosses the level, rising, at the view's middle.
    const double middle = axis.Min() + axis.Span() / 2;
    EXPECT_NEAR(TraceAt(channel, middle), 0.0, 1e-9);
    EXPECT_GT(TraceAt(channel, middle + 0.01), 0.0);

    // New points neither scroll the held view nor, until a complete newer trigger, move it.
    const double held = axis.Min();
    chart.AddAfter(1 / SampleRate, 0.0);
    EXPECT_EQ(axis.Min(), held);

    // Later whole periods give the same view, moved by whole periods: the picture stands still.
    AddSine(chart, 401, 199);
    chart.Plot->Trigger().Update();
    const double moved = axis.Min() - held;
    EXPECT_GT(moved, 0.0);
    EXPECT_NEAR(std::remainder(moved, 1 / SineHz), 0.0, 1e-4);
}

TEST(ChartTrigger, PausedOrOffTheTimeAxisIsTheUsers)
{
    TStripChart chart;
    AddSine(chart, 0, 400);
    TPlotXAxis &axis = *chart.Plot->XAxis(0);
    TPlotTrigger &trigger = chart.Plot->Trigger();
    trigger.SetSettings(NormalAtMiddle());
    trigger.Update();
    const double held = axis.Min();

    chart.Plot->PauseAll();
    AddSine(chart, 400, 100);
    trigger.Update();
    EXPECT_EQ(axis.Min(), held) << "paused: the view stays";
    chart.Plot->ResumeAll();
    trigger.Update();
    EXPECT_GT(axis.Min(), held) << "resumed: the newest trigger again";

    // The zoom buttons pause every axis, then zoom: the zoomed view stays while data comes.
    chart.Plot->PauseAll();
    chart.Plot->ZoomAll(0.5);
    const double zoomed = axis.Min();
    AddSine(chart, 500, 100);
    trigger.Update();
    EXPECT_EQ(axis.Min(), zoomed);
    chart.Plot->ResumeAll();

    TPlotTriggerSettings off = trigger.Settings();
    off.Enabled = false;
    trigger.SetSettings(off);
    chart.AddAfter(1 / SampleRate, 0.0);
    const double newest = chart.Plot->Channel(0)->X(chart.Plot->Channel(0)->Count() - 1);
    EXPECT_DOUBLE_EQ(axis.Max(), newest) << "off: the axis scrolls with the newest point again";
}

TEST(ChartTrigger, ALevelNeverCrossedLeavesTheViewStillInNormalAndScrollingInAuto)
{
    for (TTriggerMode mode : { TTriggerMode::Normal, TTriggerMode::Auto }) {
        SCOPED_TRACE(mode == TTriggerMode::Auto ? "auto" : "normal");
        TStripChart chart;
        AddSine(chart, 0, 200);
        TPlotXAxis &axis = *chart.Plot->XAxis(0);
        TPlotTriggerSettings settings = NormalAtMiddle();
        settings.Mode = mode;
        settings.Level = 5;
        chart.Plot->Trigger().SetSettings(settings);
        chart.Plot->Trigger().Update();
        const double start = axis.Min();
        for (int k = 200; k < 1000; k += 10) {
            AddSine(chart, k, 10);
            chart.Plot->Trigger().Update();
        }
        const double newest = chart.Plot->Channel(0)->X(chart.Plot->Channel(0)->Count() - 1);
        if (mode == TTriggerMode::Normal)
            EXPECT_EQ(axis.Min(), start);
        else
            EXPECT_DOUBLE_EQ(axis.Max(), newest);
    }
}

TEST(ChartTrigger, SingleKeepsItsTriggerUntilRearmed)
{
    TStripChart chart;
    AddSine(chart, 0, 400);
    TPlotXAxis &axis = *chart.Plot->XAxis(0);
    TPlotTrigger &trigger = chart.Plot->Trigger();
    TPlotTriggerSettings settings = NormalAtMiddle();
    settings.Mode = TTriggerMode::Single;
    trigger.SetSettings(settings);
    trigger.Update();
    EXPECT_FALSE(trigger.Hold().Shown()) << "crossings from before arming do not count";

    AddSine(chart, 400, 200);
    trigger.Update();
    ASSERT_TRUE(trigger.Hold().Shown());
    const double first = axis.Min();
    AddSine(chart, 600, 400);
    trigger.Update();
    EXPECT_EQ(axis.Min(), first);

    trigger.Rearm();
    const double armedAt = chart.Plot->Channel(0)->X(chart.Plot->Channel(0)->Count() - 1);
    AddSine(chart, 1000, 400);
    trigger.Update();
    ASSERT_TRUE(trigger.Hold().Shown());
    EXPECT_GT(*trigger.Hold().Shown(), armedAt);
    EXPECT_LT(*trigger.Hold().Shown(), armedAt + 1 / SineHz + 1 / SampleRate);
}

TEST(ChartTrigger, DrawsTheLevelDashedInTheSourcesColourAndMarksTheTrigger)
{
    TStripChart chart;
    AddSine(chart, 0, 400, 100);
    TPlotTriggerSettings settings = NormalAtMiddle();
    settings.Level = 50;
    chart.Plot->Trigger().SetSettings(settings);
    QImage before = chart.Paint();
    chart.Plot->Trigger().Update();
    QImage image = chart.Paint();
    const TPlotRect &view = chart.Plot->DataViewRect();
    const int y = chart.Plot->YAxis(0)->ValueToPixel(50);
    const QRgb red = qRgb(255, 0, 0);
    int redOnLine = 0;
    for (int x = view.Left + 1; x < view.Right; ++x)
        redOnLine += image.pixel(x, y) == red;
    // Dashed: red on a good part of the line, but not all of it.
    EXPECT_GT(redOnLine, view.Width() / 4);
    EXPECT_LT(redOnLine, view.Width() - 10);
    // The marker under the middle of the data view, below its bottom edge.
    const int middle = chart.Plot->XAxis(0)->ValueToPixel(*chart.Plot->Trigger().Hold().Shown());
    EXPECT_NEAR(middle, (view.Left + view.Right) / 2, 1);
    EXPECT_EQ(image.pixel(middle, view.Bottom + 3), red);
    EXPECT_NE(before.pixel(middle, view.Bottom + 3), red) << "no trigger shown yet: no marker";
}

} // namespace
