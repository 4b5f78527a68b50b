// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotTestSupport.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotError.h"
#include "chart/PlotTypes.h"
#include "chart/PlotYAxis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace
{

std::vector<int> CapacitiesWhileAdding(TPlotDataNullList &list, int points)
{
    std::vector<int> capacities;
    for (int i = 0; i < points; ++i) {
        list.Add(i, i, 0);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    return capacities;
}

TEST(PlotStore, GrowsByFourThenSixteenThenAQuarter)
{
    TPlotDataNullList list;
    EXPECT_EQ(CapacitiesWhileAdding(list, 100), (std::vector<int> { 4, 8, 12, 28, 44, 60, 76, 95, 118 }));
    EXPECT_EQ(list.Count(), 100);
    EXPECT_EQ(list.X(99), 99);
    // 8 bytes of X and a 2-byte Y offset a place, plus one block's base, flags and summary.
    EXPECT_GE(list.MemoryBytes(), 118u * 10u);
    EXPECT_LE(list.MemoryBytes(), 118u * 10u + 128u);
}

TEST(PlotStore, StopsAtItsMaximumWithTheStoreUnchanged)
{
    TPlotDataNullList list;
    EXPECT_EQ(list.MaxCount(), 89478485);
    list.SetMaxCount(10);
    EXPECT_EQ(CapacitiesWhileAdding(list, 10), (std::vector<int> { 4, 8, 10 }));
    try {
        list.Add(10, 10, 0);
        FAIL() << "no error";
    } catch (const EPlotError &error) {
        EXPECT_STREQ(error.what(), "Exceed Maximum List Size");
    }
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.X(9), 9);
}

TEST(PlotStore, IndexesOutsideTheStoreFail)
{
    TPlotDataNullList list;
    EXPECT_THROW(list.X(0), EPlotError);
    list.Add(1, 2, 0);
    for (int index : { -1, 1 }) {
        try {
            list.Y(index);
            FAIL() << index;
        } catch (const EPlotError &error) {
            EXPECT_STREQ(error.what(), "Index out of Bounds");
        }
    }
}

TEST(PlotStore, RingKeepsTheNewestPoints)
{
    TPlotDataNullList list;
    list.SetRingBufferSize(3);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(list.Add(i, -i, 0), std::min(i, 3) - 1); // the newest point is always the last index
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ((std::vector<double> { list.X(0), list.X(1), list.X(2) }), (std::vector<double> { 3, 4, 5 }));
    EXPECT_EQ(list.Y(2), -5);

    // Resizing a ring that has wrapped starts it afresh.
    list.SetRingBufferSize(2);
    EXPECT_EQ(list.Count(), 0);

    // Shrinking a ring that has not wrapped keeps its newest points.
    list.SetRingBufferSize(5);
    for (int i = 1; i <= 4; ++i)
        list.Add(i, i, 0);
    list.SetRingBufferSize(2);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.X(0), 3);
    EXPECT_EQ(list.X(1), 4);

    // Out of ring mode the store grows again.
    list.SetRingBufferSize(0);
    for (int i = 5; i <= 10; ++i)
        list.Add(i, i, 0);
    EXPECT_EQ(list.Count(), 8);
    EXPECT_EQ(list.X(7), 10);
}

TEST(PlotStore, ALargeRingTakesMemoryOnlyAsItFills)
{
    TPlotDataNullList list;
    list.SetRingBufferSize(20000000);
    EXPECT_EQ(list.Capacity(), 0);
    for (int i = 0; i < 1000; ++i)
        list.Add(i, i, 0);
    EXPECT_LT(list.Capacity(), 2000);

    // A small ring fills up the same way and then keeps its newest points.
    list.SetRingBufferSize(100);
    EXPECT_EQ(list.Capacity(), 100);
    list.Clear();
    for (int i = 0; i < 250; ++i)
        list.Add(i, -i, 0);
    EXPECT_EQ(list.Count(), 100);
    EXPECT_EQ(list.Capacity(), 100);
    EXPECT_EQ(list.X(0), 150);
    EXPECT_EQ(list.Y(99), -249);

    // Walking a part of the wrapped ring visits the points in index order, across the array's end.
    std::vector<double> walked;
    list.ForEach(45, 55, [&](double x, double y, uint16_t) {
        EXPECT_EQ(y, -x);
        walked.push_back(x);
    });
    std::vector<double> expected;
    for (int i = 45; i <= 55; ++i)
        expected.push_back(list.X(i));
    EXPECT_EQ(walked, expected);
}

TEST(PlotStore, ChannelRefusesAPointWhenTheStoreIsFull)
{
    TStripChart chart;
    TPlotChannel &channel = *chart.Plot->Channel(0);
    static_cast<TPlotDataNullList &>(channel.Data()).SetMaxCount(2);
    chart.AddAfter(2.0, 10);
    chart.AddAfter(0.5, 20);
    const double xMin = chart.Plot->XAxis(0)->Min();
    try {
        chart.AddAfter(5.0, 500);
        FAIL() << "no error";
    } catch (const EPlotError &error) {
        EXPECT_STREQ(error.what(), "Exceed Maximum List Size");
    }
    EXPECT_EQ(channel.Count(), 2);
    EXPECT_EQ(channel.AddedCount(), 2);
    EXPECT_EQ(channel.YMax(), 20);
    EXPECT_DOUBLE_EQ(channel.YMean(), 15);
    EXPECT_EQ(chart.Plot->XAxis(0)->Min(), xMin); // not tracked either
    EXPECT_EQ(chart.Plot->YAxis(0)->Span(), 100);
}

} // namespace

namespace
{

// Walks first ... last with ForEachBlock and checks that points and whole blocks come in index order, each index once,
// and that every block offered whole sums up exactly its own points. Returns the number of blocks offered.
int CheckBlocks(const TPlotDataNullList &list, int first, int last)
{
    int index = first, offered = 0;
    list.ForEachBlock(
        first, last,
        [&](double x, double y, uint16_t flags) {
            EXPECT_TRUE(x == list.X(index) || (std::isnan(x) && std::isnan(list.X(index)))) << index;
            EXPECT_EQ(y, list.Y(index)) << index;
            EXPECT_EQ(flags, list.Flags(index)) << index;
            ++index;
        },
        [&](const TPlotDataNullList::TBlockSummary &block, double xFirst, double yFirst, double yLast) {
            const int end = index + TPlotDataNullList::BlockSize - 1;
            EXPECT_LE(end, last);
            EXPECT_EQ(xFirst, list.X(index));
            EXPECT_EQ(yFirst, list.Y(index));
            EXPECT_EQ(yLast, list.Y(end));
            double xMin = 1e301, xMax = -1e301, yMin = 1e301, yMax = -1e301;
            for (int i = index; i <= end; ++i) {
                EXPECT_EQ(list.Flags(i), 0) << i;
                EXPECT_FALSE(std::isnan(list.X(i))) << i;
                xMin = std::min(xMin, list.X(i));
                xMax = std::max(xMax, list.X(i));
                yMin = std::min(yMin, list.Y(i));
                yMax = std::max(yMax, list.Y(i));
            }
            EXPECT_EQ((std::vector<double> { block.XMin, block.XMax, block.YMin, block.YMax }),
                (std::vector<double> { xMin, xMax, yMin, yMax }))
                << "block at index " << index;
            index = end + 1;
            ++offered;
            return true;
        });
    EXPECT_EQ(index, last + 1);
    return offered;
}

TEST(PlotStore, BlocksOfferedWholeSumUpExactlyTheirPoints)
{
    auto fill = [](TPlotDataNullList &list, int from, int to) {
        for (int i = from; i < to; ++i)
            list.Add(i * 0.25 + (i % 7) * 0.01, (i * 37) % 101 - 50, 0);
    };
    struct TCase {
        const char *Name;
        std::function<void(TPlotDataNullList &)> Build;
        int MinOffered; // whole blocks the walk over every point must at least take
    };
    const TCase cases[] = {
        { "growing store", [&](TPlotDataNullList &l) { fill(l, 0, 2000); }, 6 },
        { "ring that has wrapped mid-block",
            [&](TPlotDataNullList &l) {
                l.SetRingBufferSize(1024);
                fill(l, 0, 2500);
            },
            2 },
        { "flag set inside a block",
            [&](TPlotDataNullList &l) {
                fill(l, 0, 1024);
                l.SetFlags(300, PlotPointFlags::Null);
            },
            3 },
        { "NaN time inside a block",
            [&](TPlotDataNullList &l) {
                fill(l, 0, 600);
                l.Add(std::nan(""), 1, 0);
                fill(l, 601, 1024);
            },
            3 },
        { "ring shrunk: points moved to other slots",
            [&](TPlotDataNullList &l) {
                l.SetRingBufferSize(5000);
                fill(l, 0, 1500);
                l.SetRingBufferSize(1000);
                fill(l, 1500, 1800);
            },
            0 },
        { "cleared ring refilled",
            [&](TPlotDataNullList &l) {
                l.SetRingBufferSize(768);
                fill(l, 0, 1000);
                l.Clear();
                fill(l, 0, 700);
            },
            2 },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TPlotDataNullList list;
        c.Build(list);
        EXPECT_GE(CheckBlocks(list, 0, list.Count() - 1), c.MinOffered);
        CheckBlocks(list, 100, list.Count() - 50); // a range that starts and ends inside blocks
    }
}

} // namespace

namespace
{

// Every point reads back bit for bit, from X, Y, Flags and ForEach alike.
void ExpectPoints(const TPlotDataNullList &list, const std::deque<std::array<double, 3>> &points)
{
    ASSERT_EQ(list.Count(), static_cast<int>(points.size()));
    auto same = [](double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); };
    for (int i = 0; i < list.Count(); ++i) {
        const auto &p = points[static_cast<std::size_t>(i)];
        ASSERT_TRUE(same(list.X(i), p[0]) && same(list.Y(i), p[1]) && list.Flags(i) == p[2])
            << i << ": " << list.X(i) << " " << list.Y(i) << " " << list.Flags(i);
    }
    if (list.Count() == 0)
        return;
    int i = 0;
    list.ForEach(0, list.Count() - 1, [&](double x, double y, uint16_t flags) {
        const auto &p = points[static_cast<std::size_t>(i++)];
        EXPECT_TRUE(same(x, p[0]) && same(y, p[1]) && flags == p[2]) << i - 1;
    });

    // Ys copied out and flags looked for over ranges that start and end inside blocks and across the ring's wrap.
    const int count = list.Count();
    for (auto [first, last] : { std::pair { 0, count - 1 }, { 3, count - 2 }, { count / 3, count / 3 },
             { count / 2 - 300, count / 2 + 5 }, { count - 1, count - 1 } }) {
        first = std::clamp(first, 0, count - 1);
        last = std::clamp(last, first, count - 1);
        std::vector<double> ys(static_cast<std::size_t>(last - first + 1), -7.5);
        list.CopyY(first, last, ys.data());
        bool flagged = false;
        for (int k = first; k <= last; ++k) {
            const auto &p = points[static_cast<std::size_t>(k)];
            ASSERT_TRUE(same(ys[static_cast<std::size_t>(k - first)], p[1]))
                << "copied Y " << k << " of " << first << " ... " << last;
            flagged = flagged || (static_cast<uint16_t>(p[2]) & PlotPointFlags::Empty);
        }
        if (flagged) {
            EXPECT_TRUE(list.MayCarryFlags(first, last, PlotPointFlags::Empty)) << first << " ... " << last;
        }
        if (std::all_of(points.begin(), points.end(), [](const auto &p) { return p[2] == 0; })) {
            EXPECT_FALSE(list.MayCarryFlags(first, last, 0xFFFF)) << first << " ... " << last;
        }
    }
}

TEST(PlotStore, PointsReadBackExactlyAcrossTheCompactForms)
{
    const double far = 40000, nan = std::nan("");
    struct TCase {
        const char *Name;
        int Ring;
        std::vector<std::array<double, 3>> Pattern; // x, y, flags; repeated with x moved on and y shifted each round
        int Rounds;
        double Shift;
    };
    const TCase cases[] = {
        { "whole steps near the base", 0, { { 0.1, 12345, 0 }, { 0.2, 12345 + 32767, 0 }, { 0.3, 12345 - 32768, 0 } },
            200, 1 },
        { "a Y out of 16 bits' reach", 0, { { 1, 10, 0 }, { 2, 10 + far, 0 }, { 3, -far, 0 } }, 200, 0 },
        { "fractions, NaN, -0, infinities, huge values", 0,
            { { 1, 0.5, 0 }, { 2, nan, 0 }, { 3, -0.0, 0 }, { 4, INFINITY, 0 }, { 5, -1e300, 0 }, { 6, 1e-300, 0 } },
            100, 0 },
        { "times far apart and NaN times", 0, { { 1e9, 1, 0 }, { -1e-9, 2, 0 }, { nan, 3, 0 }, { 46000.123456, 4, 0 } },
            100, 0 },
        { "every point empty", 0, { { 1, 1, PlotPointFlags::Empty } }, 600, 1 },
        { "flags that change inside a block", 0, { { 1, 1, 0 }, { 2, 2, PlotPointFlags::Null }, { 3, 3, 0 } }, 200, 0 },
        { "a wrapping ring whose Ys drift away from each block's base", 700, { { 1, 100, 0 }, { 2, 101, 0 } }, 2000,
            37 },
        { "a wrapping ring that overwrites with other flags and fractions", 600,
            { { 1, 5, 0 }, { 2, 6, 0 }, { 3, 7.25, 2 } }, 700, 1 },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TPlotDataNullList list;
        list.SetRingBufferSize(c.Ring);
        std::deque<std::array<double, 3>> points;
        for (int round = 0; round < c.Rounds; ++round)
            for (const auto &p : c.Pattern) {
                const std::array<double, 3> point { p[0] + round * 10, p[1] + round * c.Shift, p[2] };
                list.Add(point[0], point[1], static_cast<uint16_t>(point[2]));
                points.push_back(point);
                if (c.Ring > 0 && static_cast<int>(points.size()) > c.Ring)
                    points.pop_front();
            }
        ExpectPoints(list, points);
        // Flags set later, and a ring shrunk to its newest points, read back as well.
        list.SetFlags(list.Count() / 2, PlotPointFlags::Empty);
        points[points.size() / 2][2] = PlotPointFlags::Empty;
        ExpectPoints(list, points);
        if (c.Ring == 0) {
            list.SetRingBufferSize(300);
            points.erase(points.begin(), points.end() - 300);
            ExpectPoints(list, points);
        }
    }
}

} // namespace
