// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotQueue.h"
#include "tests/console/LineModel.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace
{

TEST(PlotQueueStorage, WholeLinesComeOutInOrderAcrossBlocksWhileAppendsAndTakesInterleave)
{
    std::mt19937 random(11);
    const char alphabet[] = { '1', '2', '\r', '\n', 'x' };
    TPlotQueue queue;
    TLineModel model;
    model.MaxLine = TWholeLines::MaxLineBytes;
    model.WholeOnly = true;
    std::size_t taken = 0;
    for (int round = 0; round < 4000; ++round) {
        if (random() % 3 != 0) {
            // Mostly short chunks; now and then one longer than a storage block, and runs longer than the longest line
            // read, which are left out whole.
            const bool long_ = round % 997 == 0;
            std::string chunk(long_ ? 300000 : random() % 3000, ' ');
            for (char &c : chunk)
                c = long_ && round % 2 ? 'x' : alphabet[random() % sizeof(alphabet)];
            queue.AppendChunk(chunk);
            model.Add(chunk);
        }
        ASSERT_EQ(queue.Lines(), model.Complete.size() - taken) << round;
        for (int take = random() % 4; take > 0 && taken < model.Complete.size(); --take) {
            ASSERT_EQ(queue.FirstLine(), model.Complete[taken]) << round;
            ++taken;
            queue.RemoveFirstLine();
        }
    }
    while (taken < model.Complete.size()) {
        ASSERT_EQ(queue.FirstLine(), model.Complete[taken]);
        ++taken;
        queue.RemoveFirstLine();
    }
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_LE(queue.Capacity(), std::size_t(256) << 10); // drained blocks are released
}

} // namespace
