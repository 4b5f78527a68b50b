// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument windows on a real chart: the measurements of the time the data view shows, for every visible channel,
// refreshed from their own timer; the spectrum's peak for each window function and a typed or derived sample rate;
// the XY plot of one channel against another, paired by the line their values came with.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"
#include "console/instruments/ChannelSamples.h"
#include "console/instruments/MeasurementForm.h"
#include "console/instruments/RefreshPacer.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/XYForm.h"
#include "console/plotfeed/PlotFeed.h"
#include "tests/support/WaitUntil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace std::chrono_literals;

namespace
{

constexpr double Pi = std::numbers::pi;

// A chart as the main window sets it up, with channels added as the multi-channel mode adds them.
struct TChartFixture {
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };

    TChartFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
        Plot.Channel(0)->SetTitleText("数据1");
    }

    TPlotChannel &Channel(int index)
    {
        while (Plot.Master().Channels().Count() <= index) {
            TPlotChannel *added = Plot.Master().Channels().Add<TPlotChannel>();
            added->SetTitleText("数据" + QString::number(Plot.Master().Channels().Count()));
        }
        return *Plot.Channel(index);
    }

    // amplitude sin(2 pi f t + phase) at `rate` samples a second from t = start, `count` samples.
    void AddSine(
        int channel, double amplitude, double frequency, double rate, int count, double phase = 0, double start = 0)
    {
        for (int i = 0; i < count; ++i) {
            const double t = start + i / rate;
            Channel(channel).AddPoint(t, amplitude * std::sin(2 * Pi * frequency * t + phase));
        }
    }
};

double Number(const QString &text)
{
    bool ok = false;
    const double value = text.section(' ', 0, 0).toDouble(&ok);
    EXPECT_TRUE(ok) << text.toStdString();
    return value;
}

// The frequency the peak text names.
double PeakFrequency(const QLabel &peak)
{
    const QRegularExpressionMatch m = QRegularExpression("^峰值：([-0-9.e+]+) Hz，").match(peak.text());
    EXPECT_TRUE(m.hasMatch()) << peak.text().toStdString();
    return m.captured(1).toDouble();
}

} // namespace

TEST(MeasurementForm, EachVisibleChannelShowsTheFiguresOfTheTimeTheViewShows)
{
    TChartFixture chart;
    // 10 s of a 5 Hz sine of amplitude 2 at 200 points a second; the view shows 2.05 s from 7 s, 411 points.
    chart.AddSine(0, 2, 5, 200, 2000);
    chart.Plot.XAxis(0)->SetMinSpan(7, 2.05);
    chart.Channel(1).AddPoint(8, 1); // one point in view
    chart.Channel(2).AddPoint(8, 1);
    chart.Channel(2).AddPoint(8.5, 3);
    chart.Channel(3).AddPoint(8, 1);
    chart.Channel(3).SetVisible(false);

    TMeasurementForm form(chart.Plot, nullptr);
    form.Refresh();
    EXPECT_EQ(form.windowTitle(), "测量");
    ASSERT_EQ(form.RowCount(), 3) << "the hidden channel has no row";
    EXPECT_EQ(form.RowTitle(0), "数据1");
    EXPECT_EQ(form.RowTitle(2), "数据3");

    // "最小", "最大", "峰峰值", "平均", "有效值", "频率", "点数".
    EXPECT_NEAR(Number(form.Text(0, 0)), -2, 0.01);
    EXPECT_NEAR(Number(form.Text(0, 1)), 2, 0.01);
    EXPECT_NEAR(Number(form.Text(0, 2)), 4, 0.02);
    EXPECT_NEAR(Number(form.Text(0, 3)), 0, 0.05) << "a quarter period past whole ones";
    EXPECT_NEAR(Number(form.Text(0, 4)), 2 / std::sqrt(2.0), 0.005 * 2 / std::sqrt(2.0));
    EXPECT_TRUE(form.Text(0, 5).endsWith(" Hz")) << form.Text(0, 5).toStdString();
    EXPECT_NEAR(Number(form.Text(0, 5)), 5, 0.025);
    EXPECT_EQ(form.Text(0, 6), "411");

    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(form.Text(1, column), "—") << "one point, column " << column;
    EXPECT_EQ(form.Text(1, 6), "1");
    EXPECT_EQ(form.Text(2, 2), "2") << "two points have levels";
    EXPECT_EQ(form.Text(2, 5), "—") << "and no crossing";
}

TEST(MeasurementForm, WhileShownItRefreshesFromItsTimerAndNotWhenPointsArrive)
{
    TChartFixture chart;
    chart.AddSine(0, 1, 5, 200, 400);
    chart.Plot.XAxis(0)->SetMinSpan(0, 10);
    TMeasurementForm form(chart.Plot, nullptr);
    form.show();
    ASSERT_EQ(form.RowCount(), 1);
    EXPECT_EQ(form.Text(0, 6), "400");

    chart.AddSine(0, 1, 5, 200, 400, 0, 2);
    EXPECT_EQ(form.Text(0, 6), "400") << "adding points leaves the texts to the timer";
    EXPECT_TRUE(WaitUntil([&] { return form.Text(0, 6) == "800"; }));

    // A channel that appears gets its row at the next refresh.
    chart.Channel(1).AddPoint(1, 1);
    EXPECT_TRUE(WaitUntil([&] { return form.RowCount() == 2; }));

    form.hide();
    chart.AddSine(0, 1, 5, 200, 10, 0, 4);
    PumpFor(300ms);
    EXPECT_EQ(form.Text(0, 6), "800") << "hidden, it reads nothing";
}

TEST(MeasurementForm, TheWindowFitsItsFiguresAsTheyGrowAndAsTheyShrink)
{
    TChartFixture chart;
    chart.Plot.XAxis(0)->SetMinSpan(0, 10);
    chart.Channel(0).AddPoint(1, 1);
    chart.Channel(0).AddPoint(2, 2);
    TMeasurementForm form(chart.Plot, nullptr);
    form.show();
    ASSERT_TRUE(WaitUntil([&] { return form.Text(0, 6) == "2" && form.size() == form.sizeHint(); }));
    const int narrow = form.width();

    chart.Channel(0).AddPoint(3, -1.23456e+123);
    EXPECT_TRUE(WaitUntil([&] { return form.width() > narrow; })) << "longer numbers widen it";
    chart.Plot.XAxis(0)->SetMinSpan(0, 2.5); // the long value leaves the view: the first figures again
    EXPECT_TRUE(WaitUntil([&] { return form.Text(0, 6) == "2" && form.width() == narrow; }))
        << "shorter numbers narrow it again: " << form.width() << " against " << narrow;
}

TEST(SpectrumForm, TheSineOfAChannelPeaksAtItsFrequencyThroughEveryWindowAndTypedRate)
{
    TChartFixture chart;
    // 5 Hz at 200 samples a second, 30 s, on the second channel; the first holds noise-free DC.
    for (int i = 0; i < 100; ++i)
        chart.Channel(0).AddPoint(i, 3);
    chart.AddSine(1, 1.5, 5, 200, 6000, 0.4, 100);
    TSpectrumForm form(chart.Plot, nullptr);
    EXPECT_EQ(form.windowTitle(), "频谱");
    EXPECT_EQ(form.Points()->currentText(), "4096");
    EXPECT_EQ(form.Window()->currentText(), "Hann");
    EXPECT_EQ(form.Scale()->currentText(), "dB");
    EXPECT_EQ(form.SampleRate()->currentText(), "自动");
    QStringList windows;
    for (int i = 0; i < form.Window()->count(); ++i)
        windows << form.Window()->itemText(i);
    EXPECT_EQ(windows.join('|'), "Hann|矩形|Hamming|Blackman-Harris");
    EXPECT_EQ(form.Points()->itemText(0), "256");
    EXPECT_EQ(form.Points()->itemText(form.Points()->count() - 1), "65536");

    form.Refresh();
    form.Channel()->setCurrentIndex(1);
    for (int w = 0; w < form.Window()->count(); ++w) {
        form.Window()->setCurrentIndex(w);
        SCOPED_TRACE(form.Window()->currentText().toStdString());
        EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.05);
    }
    // The chart: a point a bin from 0 to half the rate, the axis over the same.
    const TPlotChannel &drawn = *form.Plot().Channel(0);
    ASSERT_EQ(drawn.Count(), 2049);
    EXPECT_NEAR(drawn.X(drawn.Count() - 1), 100, 1e-6);
    EXPECT_NEAR(form.Plot().XAxis(0)->Min(), 0, 1e-9);
    EXPECT_NEAR(form.Plot().XAxis(0)->Max(), 100, 1e-6);

    // "线性": the peak reads the amplitude, less the window's scalloping loss between bins (under 1 dB).
    form.Window()->setCurrentIndex(3);
    form.Scale()->setCurrentIndex(1);
    const QString linear = form.Peak()->text();
    const double amplitude = linear.section("，", 1).toDouble();
    EXPECT_LE(amplitude, 1.5 * 1.0001) << linear.toStdString();
    EXPECT_GT(20 * std::log10(amplitude / 1.5), -1) << linear.toStdString();

    // A typed rate of 400 Hz puts the same bin at 10 Hz; a rate that is no number says so and keeps the chart.
    form.SampleRate()->lineEdit()->setText("400");
    emit form.SampleRate()->lineEdit()->editingFinished();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 10, 0.1);
    form.SampleRate()->lineEdit()->setText("4OO");
    emit form.SampleRate()->lineEdit()->editingFinished();
    EXPECT_EQ(form.Peak()->text(), "采样率须为“自动”或以 Hz 计的正数");
    EXPECT_EQ(drawn.Count(), 2049);
    form.SampleRate()->lineEdit()->setText("自动");
    emit form.SampleRate()->lineEdit()->editingFinished();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.05);

    // Fewer points than chosen: the spectrum of those there are.
    form.Channel()->setCurrentIndex(0);
    EXPECT_EQ(form.Peak()->text().left(3), "峰值：");
    chart.Channel(2).AddPoint(1, 1);
    form.Refresh();
    form.Channel()->setCurrentIndex(2);
    EXPECT_EQ(form.Peak()->text(), "点数不足");
}

TEST(SpectrumForm, AnAutomaticRateReadsThroughAPauseInTheDataAndSaysTheIntervalsAreUneven)
{
    TChartFixture chart;
    // 5 Hz at 200 points a second: 2048 points, a pause of 3 s, 2048 more; the newest 4096 span the pause.
    chart.AddSine(0, 1, 5, 200, 2048);
    TSpectrumForm form(chart.Plot, nullptr);
    form.Refresh();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.05);
    EXPECT_TRUE(form.RateNote()->isHidden()) << "even intervals need no note";

    chart.AddSine(0, 1, 5, 200, 2048, 0, 2048 / 200.0 + 3);
    form.Refresh();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.1);
    EXPECT_FALSE(form.RateNote()->isHidden());
    EXPECT_TRUE(form.RateNote()->text().endsWith("：200 Hz")) << form.RateNote()->text().toStdString();

    // A typed rate is the user's own: no note.
    form.SampleRate()->lineEdit()->setText("200");
    emit form.SampleRate()->lineEdit()->editingFinished();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.1);
    EXPECT_TRUE(form.RateNote()->isHidden());
}

TEST(SpectrumForm, WhileShownItFollowsNewPointsFromItsTimer)
{
    TChartFixture chart;
    chart.AddSine(0, 1, 5, 200, 4096);
    TSpectrumForm form(chart.Plot, nullptr);
    form.show();
    EXPECT_NEAR(PeakFrequency(*form.Peak()), 5, 0.05);
    chart.AddSine(0, 1, 20, 200, 4096, 0, 4096 / 200.0);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(PeakFrequency(*form.Peak()) - 20) < 0.1; }));
}

TEST(XYForm, ASineAgainstACosineOfTheSameLinesIsACircleOfTheNewestPairs)
{
    TChartFixture chart;
    // Lines of three values: sin, cos, and on every other line a third; the first two share each line's time.
    for (int i = 0; i < 3000; ++i) {
        const double t = i / 200.0;
        chart.Channel(0).AddPoint(t, 2 * std::sin(2 * Pi * 5 * t));
        chart.Channel(1).AddPoint(t, 2 * std::cos(2 * Pi * 5 * t));
        if (i % 2 == 0)
            chart.Channel(2).AddPoint(t, 7);
    }
    TXYForm form(chart.Plot, nullptr);
    EXPECT_EQ(form.windowTitle(), "XY 图");
    EXPECT_EQ(form.Pairs()->value(), 1000);
    EXPECT_EQ(form.Pairs()->minimum(), 10);
    EXPECT_EQ(form.Pairs()->maximum(), 1'000'000);
    form.Refresh();
    EXPECT_EQ(form.XChannel()->currentText(), "数据1");
    EXPECT_EQ(form.YChannel()->currentText(), "数据2");

    const TPlotChannel &drawn = *form.Plot().Channel(0);
    ASSERT_EQ(drawn.Count(), 1000);
    for (int i = 0; i < drawn.Count(); ++i)
        ASSERT_NEAR(std::hypot(drawn.X(i), drawn.Y(i)), 2, 1e-9) << "pair " << i;
    EXPECT_NEAR(drawn.X(drawn.Count() - 1), chart.Channel(0).Y(2999), 1e-12) << "the newest pair last";
    // The axes fit the circle with a little room.
    EXPECT_NEAR(form.Plot().XAxis(0)->Min(), -2.2, 0.01);
    EXPECT_NEAR(form.Plot().XAxis(0)->Max(), 2.2, 0.01);
    EXPECT_NEAR(form.Plot().YAxis(0)->Min(), -2.2, 0.01);

    // Against the third channel only the lines that had a third value pair.
    form.XChannel()->setCurrentIndex(2);
    form.Pairs()->setValue(1'000'000);
    EXPECT_EQ(drawn.Count(), 1500);

    // A zoom takes the axes over: new pairs leave them where the user put them.
    form.XChannel()->setCurrentIndex(0);
    form.Plot().XAxis(0)->SetTrackingEnabled(false);
    form.Plot().XAxis(0)->SetMinSpan(0, 1);
    chart.Channel(0).AddPoint(15, 9);
    chart.Channel(1).AddPoint(15, 9);
    form.Refresh();
    EXPECT_EQ(form.Plot().XAxis(0)->Min(), 0);
    EXPECT_EQ(form.Plot().XAxis(0)->Span(), 1);
    EXPECT_NEAR(form.Plot().YAxis(0)->Max(), 9 + 11 * 0.05, 1e-9) << "the axis left to fit still fits";
}

TEST(XYForm, YIsTheFirstChannelOtherThanXUntilTheUserPicksIt)
{
    TChartFixture chart;
    chart.Channel(0).AddPoint(0, 1);
    TXYForm form(chart.Plot, nullptr);
    form.Refresh();
    EXPECT_EQ(form.XChannel()->currentText(), "数据1");
    EXPECT_EQ(form.YChannel()->currentText(), "数据1") << "the only channel, against itself";

    chart.Channel(1).AddPoint(0, 2);
    form.Refresh();
    EXPECT_EQ(form.XChannel()->currentText(), "数据1");
    EXPECT_EQ(form.YChannel()->currentText(), "数据2") << "a second channel arrived";
    form.XChannel()->setCurrentIndex(1);
    EXPECT_EQ(form.YChannel()->currentText(), "数据1") << "X took Y's channel";

    // The user's own choice stays, X = Y included.
    form.YChannel()->setCurrentIndex(1);
    chart.Channel(2).AddPoint(0, 3);
    form.Refresh();
    EXPECT_EQ(form.YChannel()->currentText(), "数据2");

    TXYForm opened(chart.Plot, nullptr);
    opened.Refresh();
    EXPECT_EQ(opened.XChannel()->currentText(), "数据1");
    EXPECT_EQ(opened.YChannel()->currentText(), "数据2");
}

TEST(ChannelMeter, PointsMarkedEmptyOrBreakingTheLineAreLeftOutOfTheFigures)
{
    TChartFixture chart;
    chart.AddSine(0, 2, 5, 200, 2000);
    TPlotChannel &channel = *chart.Plot.Channel(0);
    TChannelMeter meter;
    const TSignalMeasurements all = meter.Measure(channel, 1, 9);
    ASSERT_EQ(all.Count, 1601);
    ASSERT_TRUE(all.Frequency && all.Rms);
    EXPECT_NEAR(*all.Frequency, 5, 0.025);

    // A point marked empty and one that breaks the line: neither counts, and the figures stay.
    channel.Data().SetFlags(700, PlotPointFlags::Empty);
    channel.Data().SetFlags(900, PlotPointFlags::Null);
    const TSignalMeasurements some = meter.Measure(channel, 1, 9);
    EXPECT_EQ(some.Count, 1599);
    ASSERT_TRUE(some.Frequency && some.Rms);
    EXPECT_NEAR(*some.Frequency, 5, 0.025);
    EXPECT_NEAR(*some.Rms, *all.Rms, 0.01);
    EXPECT_EQ(meter.Measure(channel, 20, 30).Count, 0) << "a time with no points";
}

TEST(RefreshPacer, ASlowRefreshStretchesTheWaitSoThatRefreshesTakeAFifthOfTheTimeAtMost)
{
    const struct {
        const char *Name;
        double LastMs;
        int Interval;
    } cases[] = {
        { "not yet measured", 0, 100 },
        { "quick", 3, 100 },
        { "a fifth of the period", 20, 100 },
        { "slower", 21.5, 108 },
        { "a million pairs on a slow machine", 400, 2000 },
        { "never beyond five seconds", 60'000, 5000 },
        { "a clock that went back", -5, 100 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(NextRefreshInterval(100, c.LastMs), c.Interval) << c.Name;

    int refreshes = 0;
    TRefreshPacer pacer(
        10, [&] { ++refreshes; }, nullptr);
    pacer.Start();
    EXPECT_TRUE(WaitUntil([&] { return refreshes >= 3; }));
    pacer.Stop();
    const int stopped = refreshes;
    PumpFor(50ms);
    EXPECT_EQ(refreshes, stopped) << "stopped, it refreshes no more";
}
