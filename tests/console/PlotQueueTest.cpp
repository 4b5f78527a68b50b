#include "console/PlotQueue.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{

std::vector<std::string> Drain(TPlotQueue &queue)
{
    std::vector<std::string> lines;
    while (!queue.Empty()) {
        lines.emplace_back(queue.FirstLine());
        queue.RemoveFirstLine();
    }
    return lines;
}

TEST(PlotQueue, ChunksBecomeLinesInOrder)
{
    TPlotQueue queue;
    queue.AppendChunk("12345\r\n");
    queue.AppendChunk("678");
    queue.AppendChunk("1\r\n2\r\n3");
    EXPECT_EQ(Drain(queue), (std::vector<std::string> { "12345", "", "678", "1", "2", "3" }));
    EXPECT_EQ(queue.FirstLine(), "");
    queue.RemoveFirstLine(); // no effect on an empty queue
    EXPECT_TRUE(queue.Empty());
}

TEST(PlotQueue, KeepsLoneLineBreakBytesInsideALine)
{
    TPlotQueue queue;
    queue.AppendChunk("a\rb\nc\r");
    queue.AppendChunk(std::string("\n\0x", 3));
    EXPECT_EQ(Drain(queue), (std::vector<std::string> { "a\rb\nc\r", std::string("\n\0x", 3) }));
}

TEST(PlotQueue, LongBacklogIsCompactedAsItDrains)
{
    TPlotQueue queue;
    for (int i = 0; i < 100000; ++i)
        queue.AppendChunk("1234567");
    for (int i = 0; i < 99990; ++i)
        queue.RemoveFirstLine();
    EXPECT_EQ(queue.Size(), 90u);
    EXPECT_EQ(queue.FirstLine(), "1234567");
}

// Each case queues chunks at arrival times and reads back the time at which each line stands on the chart.
struct TLineTimeCase {
    const char *Name;
    std::vector<std::pair<std::string, double>> Chunks; // text and arrival
    std::vector<double> Times; // one per line
};

TEST(PlotQueue, LinesOfAChunkAreSpreadOverTheGapSinceThePreviousChunk)
{
    const TLineTimeCase cases[] = {
        { "FirstChunkStandsAtItsArrival", { { "11111\r\n22222\r\n", 3.0 } }, { 3.0, 3.0, 3.0 } },
        { "FourLinesOverFortyMilliseconds", { { "1", 1.0 }, { "a\r\nb\r\nc\r\nd\r\n", 1.04 } },
            { 1.0, 1.01, 1.02, 1.03, 1.04, 1.04 } },
        { "UnterminatedLastLineIsSpreadToo", { { "1", 1.0 }, { "a\r\nb", 1.02 } }, { 1.0, 1.01, 1.02 } },
        { "GapCappedAtOneHundredMilliseconds", { { "1", 1.0 }, { "a\r\nb\r\n", 6.0 } }, { 1.0, 5.95, 6.0, 6.0 } },
        { "ClockSetBackStandsAtArrival", { { "1", 9.0 }, { "a\r\nb", 4.0 } }, { 9.0, 4.0, 4.0 } },
        { "EmptyChunkIsOneLine", { { "1", 1.0 }, { "", 1.05 }, { "2", 1.06 } }, { 1.0, 1.05, 1.06 } },
    };
    for (const TLineTimeCase &c : cases) {
        TPlotQueue queue;
        for (const auto &[text, arrival] : c.Chunks)
            queue.AppendChunk(text, arrival);
        std::vector<double> times;
        while (!queue.Empty()) {
            times.push_back(queue.FirstLineTime());
            queue.RemoveFirstLine();
        }
        ASSERT_EQ(times.size(), c.Times.size()) << c.Name;
        for (std::size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR(times[i], c.Times[i], 1e-12) << c.Name << " line " << i;
    }
}

} // namespace
