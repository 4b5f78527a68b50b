// SPDX-License-Identifier: GPL-3.0-or-later
// Pairing two channels' points by the item they came with (equal times), newest first, with gaps on either side.
#include "analysis/TimePairing.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{

std::vector<std::pair<int, int>> Pair(const std::vector<double> &a, const std::vector<double> &b, int maxPairs)
{
    std::vector<std::pair<int, int>> pairs;
    PairNewestByTime(
        int(a.size()), [&](int i) { return a[std::size_t(i)]; }, int(b.size()),
        [&](int i) { return b[std::size_t(i)]; }, maxPairs, pairs);
    return pairs;
}

using TPairs = std::vector<std::pair<int, int>>;

} // namespace

TEST(TimePairing, PointsOfTheSameItemPairAndTheRestArePassedOver)
{
    const struct {
        const char *Name;
        std::vector<double> A, B;
        int MaxPairs;
        TPairs Pairs;
    } cases[] = {
        { "every item on both", { 1, 2, 3 }, { 1, 2, 3 }, 10, { { 0, 0 }, { 1, 1 }, { 2, 2 } } },
        { "the newest only", { 1, 2, 3 }, { 1, 2, 3 }, 2, { { 1, 1 }, { 2, 2 } } },
        { "B kept fewer points", { 1, 2, 3, 4 }, { 3, 4 }, 10, { { 2, 0 }, { 3, 1 } } },
        { "items without a value for B", { 1, 2, 3, 4, 5 }, { 1, 3, 5 }, 10, { { 0, 0 }, { 2, 1 }, { 4, 2 } } },
        { "items without a value for A", { 2, 4 }, { 1, 2, 3, 4 }, 10, { { 0, 1 }, { 1, 3 } } },
        { "two items at one time", { 1, 1, 2 }, { 1, 1, 2 }, 10, { { 0, 0 }, { 1, 1 }, { 2, 2 } } },
        { "no time in common", { 1, 3 }, { 2, 4 }, 10, {} },
        { "an empty channel", {}, { 1, 2 }, 10, {} },
    };
    for (const auto &c : cases)
        EXPECT_EQ(Pair(c.A, c.B, c.MaxPairs), c.Pairs) << c.Name;
}

TEST(TimePairing, ChannelsThatNeverShareATimeCostABoundedWalk)
{
    std::vector<double> a(1'000'000), b(1'000'000);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = double(2 * i);
        b[i] = double(2 * i + 1);
    }
    int reads = 0;
    std::vector<std::pair<int, int>> pairs;
    PairNewestByTime(
        int(a.size()), [&](int i) { return ++reads, a[std::size_t(i)]; }, int(b.size()),
        [&](int i) { return b[std::size_t(i)]; }, 10, pairs);
    EXPECT_TRUE(pairs.empty());
    EXPECT_LE(reads, PairingStepLimit(10) + 2);
}
