#include "console/PlotQueue.h"

#include <gtest/gtest.h>
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

} // namespace
