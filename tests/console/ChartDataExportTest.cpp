// SPDX-License-Identifier: GPL-3.0-or-later
// What the chart's data holds after the plot feed took it, read the two ways that join channels: the CSV export (one
// row a line or frame) and the XY pairs. A name keeps the values that came with it across changes of mode, and the
// values of one line meet in one row whatever channels the line lacks, never with another line's.
#include "console/plotfeed/ChartDataExport.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotDescription.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "console/instruments/ChannelSamples.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

// Three unsigned bytes a frame after the header 0xAA, no checksum.
TFrameFormat ThreeByteFrames()
{
    TFrameFormat format;
    format.Header = "\xAA";
    format.Channels = 3;
    format.Type = TSampleType::UInt8;
    return format;
}

struct TStep {
    enum TKind { WholeNumbers, ValueLists, Frames, Lines, Bytes } Kind;
    std::string Data = {}; // the lines or bytes received
    double Time = 0; // when they came
};

struct TExportFixture {
    QTemporaryDir Folder;
    TPlotManualClock Clock;
    TPlot Plot { nullptr, &Clock };
    TPlotQueue Queue;
    TPlotFeed Feed { Queue, Plot };

    TExportFixture()
    {
        LoadStripChartDescription(Plot);
        TPlotFeed::SetUpChart(Plot);
    }

    void Run(const std::vector<TStep> &steps)
    {
        for (const TStep &step : steps) {
            switch (step.Kind) {
            case TStep::WholeNumbers:
                Feed.SetBinaryFrames(std::nullopt);
                Feed.SetMultiChannel(false);
                break;
            case TStep::ValueLists:
                Feed.SetBinaryFrames(std::nullopt);
                Feed.SetMultiChannel(true);
                break;
            case TStep::Frames:
                Feed.SetBinaryFrames(ThreeByteFrames());
                break;
            case TStep::Lines:
                Queue.AppendChunk(step.Data, step.Time);
                break;
            case TStep::Bytes:
                Feed.TakeBytes(step.Data, {}, step.Time);
                break;
            }
            while (Feed.Step() > 0) { }
        }
    }

    // The exported file without its byte order mark, its rows ending in "\n".
    std::string Csv()
    {
        const QString path = Folder.filePath("data.csv");
        EXPECT_EQ(ExportChartData(Plot, path, nullptr), TChartExportResult::Exported);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF"));
        return text.mid(3).replace("\r\n", "\n").toStdString();
    }

    int ChannelNamed(const QString &title) const
    {
        const auto &channels = Plot.Master().Channels();
        for (int i = 0; i < channels.Count(); ++i)
            if (channels.Item(i)->TitleText() == title)
                return i;
        ADD_FAILURE() << "no channel " << title.toStdString();
        return 0;
    }
};

struct TModeCase {
    const char *Name;
    std::vector<TStep> Steps;
    const char *Csv;
};

void PrintTo(const TModeCase &c, std::ostream *out)
{
    *out << c.Name;
}

class ExportAfterModeChanges : public testing::TestWithParam<TModeCase>
{
};

TEST_P(ExportAfterModeChanges, EveryValueStaysUnderTheNameItCameWith)
{
    TExportFixture fixture;
    fixture.Run(GetParam().Steps);
    EXPECT_EQ(fixture.Csv(), GetParam().Csv);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportAfterModeChanges,
    testing::Values(
        TModeCase { "OneChannelThenLabels",
            { { TStep::Lines, "10\n", 1 }, { TStep::Lines, "-20\n", 2 }, { TStep::ValueLists },
                { TStep::Lines, "temp:23.5,hum:41,volt:3.3\n", 3 }, { TStep::Lines, "temp:24,hum:40,volt:3.25\n", 4 } },
            "time_s,数据1,temp,hum,volt\n"
            "1,10,,,\n"
            "2,-20,,,\n"
            "3,,23.5,41,3.3\n"
            "4,,24,40,3.25\n" },
        TModeCase { "LabelsThenOneChannel",
            { { TStep::ValueLists }, { TStep::Lines, "temp:23.5,hum:41\n", 1 }, { TStep::WholeNumbers },
                { TStep::Lines, "7\n", 2 } },
            "time_s,temp,hum,数据1\n"
            "1,23.5,41,\n"
            "2,,,7\n" },
        TModeCase { "FramesThenOneChannel",
            { { TStep::Frames }, { TStep::Bytes, "\xAA\x01\x02\x03", 1 }, { TStep::Bytes, "\xAA\x04\x05\x06", 2 },
                { TStep::WholeNumbers }, { TStep::Lines, "7\n", 3 } },
            "time_s,数据1,数据2,数据3\n"
            "1,1,2,3\n"
            "2,4,5,6\n"
            "3,7,,\n" },
        TModeCase { "FramesThenUnlabelledValuesContinueTheirPositions",
            { { TStep::Frames }, { TStep::Bytes, "\xAA\x01\x02\x03", 1 }, { TStep::ValueLists },
                { TStep::Lines, "8,9\n", 2 }, { TStep::Lines, "x:5\n", 3 } },
            "time_s,数据1,数据2,数据3,x\n"
            "1,1,2,3,\n"
            "2,8,9,,\n"
            "3,,,,5\n" },
        TModeCase { "OneChannelThenFrames",
            { { TStep::Lines, "5\n", 1 }, { TStep::Frames }, { TStep::Bytes, "\xAA\x01\x02\x03", 2 } },
            "time_s,数据1,数据2,数据3\n"
            "1,5,,\n"
            "2,1,2,3\n" }),
    [](const testing::TestParamInfo<TModeCase> &info) { return std::string(info.param.Name); });

// Lines at distinct times, some lacking a channel: a row per line with that line's values, and XY pairs only from
// lines that had both values.
TEST(ExportAndPairs, TheValuesOfOneLineMeetAndTwoLinesNeverDo)
{
    TExportFixture fixture;
    fixture.Run(
        { { TStep::ValueLists }, { TStep::Lines, "a:1,b:2,c:3\n", 1.0 }, { TStep::Lines, "a:4,c:6\n", 1.000001 },
            { TStep::Lines, "b:8,c:9\n", 1.000002 }, { TStep::Lines, "a:10\n", 1.000003 },
            { TStep::Lines, "b:11\n", 1.000004 }, { TStep::Lines, "a:12,b:13,c:14\n", 1.000005 } });
    EXPECT_EQ(fixture.Csv(),
        "time_s,a,b,c\n"
        "1,1,2,3\n"
        "1.000001,4,,6\n"
        "1.000002,,8,9\n"
        "1.000003,10,,\n"
        "1.000004,,11,\n"
        "1.000005,12,13,14\n");

    const struct {
        const char *X, *Y;
        std::vector<double> Xs, Ys;
    } pairs[] = {
        { "a", "b", { 1, 12 }, { 2, 13 } },
        { "b", "c", { 2, 8, 13 }, { 3, 9, 14 } },
        { "c", "a", { 3, 6, 14 }, { 1, 4, 12 } },
        { "a", "a", { 1, 4, 10, 12 }, { 1, 4, 10, 12 } },
    };
    for (const auto &c : pairs) {
        SCOPED_TRACE(std::string(c.X) + " against " + c.Y);
        std::vector<double> xs, ys;
        NewestPairs(*fixture.Plot.Channel(fixture.ChannelNamed(c.X)), *fixture.Plot.Channel(fixture.ChannelNamed(c.Y)),
            100, xs, ys);
        EXPECT_EQ(xs, c.Xs);
        EXPECT_EQ(ys, c.Ys);
    }
}

} // namespace
