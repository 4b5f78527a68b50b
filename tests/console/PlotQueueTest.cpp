// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotQueue.h"

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

TEST(PlotQueue, WholeLinesLeaveInOrderOrEveryChunkEndsItsLine)
{
    TPlotQueue queue;
    queue.AppendChunk("12345\r\n");
    queue.AppendChunk("678");
    queue.AppendChunk("1\r\n2\n3\r");
    queue.AppendChunk("\n4");
    EXPECT_EQ(Drain(queue), (std::vector<std::string> { "12345", "6781", "2", "3" }));
    EXPECT_EQ(queue.FirstLine(), "") << "4 is still open";
    queue.RemoveFirstLine(); // no effect on an empty queue
    EXPECT_TRUE(queue.Empty());

    queue.SetChunkLines(true);
    queue.AppendChunk("5");
    queue.AppendChunk("6\r\n");
    EXPECT_EQ(Drain(queue), (std::vector<std::string> { "4", "5", "6", "" }));
}

TEST(PlotQueue, LongBacklogIsCompactedAsItDrains)
{
    TPlotQueue queue;
    for (int i = 0; i < 100000; ++i)
        queue.AppendChunk("1234567\n");
    for (int i = 0; i < 99990; ++i)
        queue.RemoveFirstLine();
    EXPECT_EQ(queue.Lines(), 10u);
    EXPECT_EQ(queue.Size(), 70u);
    EXPECT_EQ(queue.FirstLine(), "1234567");
}

// Each case queues chunks, each arriving in runs, and reads back the time at which each whole line stands on the
// chart: the time of the run that completed it, the lines of one run spread over the gap since the run before.
struct TLineTimeCase {
    const char *Name;
    std::vector<std::pair<std::string, std::vector<TTimedRun>>> Chunks; // text and its runs
    std::vector<double> Times; // one per whole line
};

TEST(PlotQueue, ALineStandsAtTheRunThatCompletedItSpreadWithTheOthersOfThatRun)
{
    const TLineTimeCase cases[] = {
        { "FirstRunStandsAtItsArrivalItsLinesAStepApart", { { "11111\r\n22222\r\n", { { 14, 3.0 } } } },
            { 3.0, 3.0 + TArrivalClock::MinItemStep } },
        { "FourLinesOverFortyMilliseconds", { { "1", { { 1, 1.0 } } }, { "\na\nb\nc\n", { { 7, 1.04 } } } },
            { 1.01, 1.02, 1.03, 1.04 } },
        { "ALineSplitOverTwoRunsTakesTheSecond",
            { { "12", { { 2, 1.0 } } }, { "34\n56\n", { { 3, 1.2 }, { 6, 1.25 } } } }, { 1.2, 1.25 } },
        { "ManyRunsInOneRead", { { "1\n2\n3\n4\n", { { 2, 2.00 }, { 4, 2.05 }, { 6, 2.10 }, { 8, 2.15 } } } },
            { 2.00, 2.05, 2.10, 2.15 } },
        { "TwoLinesOfOneRunShareItsGap", { { "x", { { 1, 1.0 } } }, { "\na\n", { { 3, 1.02 } } } }, { 1.01, 1.02 } },
        { "GapCappedAtOneHundredMilliseconds", { { "1", { { 1, 1.0 } } }, { "\nb\n", { { 3, 6.0 } } } },
            { 5.95, 6.0 } },
        { "ClockSetBackStandsAtArrivalItsLinesAStepApart", { { "1", { { 1, 9.0 } } }, { "\nb\n", { { 3, 4.0 } } } },
            { 4.0, 4.0 + TArrivalClock::MinItemStep } },
        { "ALineAfterTheClockWasSetBackStandsAfterTheLastLine",
            { { "1\n", { { 2, 9.0 } } }, { "b\n", { { 2, 4.0 } } } }, { 9.0, 9.0 + TArrivalClock::MinItemStep } },
    };
    for (const TLineTimeCase &c : cases) {
        TPlotQueue queue;
        for (const auto &[text, runs] : c.Chunks)
            queue.AppendChunk(text, runs);
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
