#include "console/PlotQueue.h"

#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace
{

// The lines a chunk adds: the pieces between CR LF pairs of the chunk followed by CR LF.
void AddLines(std::deque<std::string> &lines, const std::string &chunk)
{
    std::string text = chunk + "\r\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

TEST(PlotQueueStorage, LinesComeOutInOrderAcrossBlocksWhileAppendsAndTakesInterleave)
{
    std::mt19937 random(11);
    const char alphabet[] = { '1', '2', '\r', '\n', 'x' };
    TPlotQueue queue;
    std::deque<std::string> expected;
    std::size_t expectedSize = 0;
    for (int round = 0; round < 4000; ++round) {
        if (random() % 3 != 0) {
            // Mostly short chunks; now and then one longer than a storage block.
            std::size_t length = round % 997 == 0 ? 300000 : random() % 3000;
            std::string chunk(length, ' ');
            for (char &c : chunk)
                c = alphabet[random() % sizeof(alphabet)];
            queue.AppendChunk(chunk);
            AddLines(expected, chunk);
            expectedSize += chunk.size() + 2;
        }
        for (int take = random() % 4; take > 0 && !expected.empty(); --take) {
            ASSERT_EQ(queue.FirstLine(), expected.front()) << round;
            expectedSize -= expected.front().size() + 2;
            expected.pop_front();
            queue.RemoveFirstLine();
        }
        ASSERT_EQ(queue.Size(), expectedSize);
    }
    while (!expected.empty()) {
        ASSERT_EQ(queue.FirstLine(), expected.front());
        expected.pop_front();
        queue.RemoveFirstLine();
    }
    EXPECT_TRUE(queue.Empty());
    EXPECT_LE(queue.Capacity(), std::size_t(256) << 10); // drained blocks are released
}

} // namespace
