// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadTimeouts.h"

#include <gtest/gtest.h>
#include <optional>

namespace
{

using namespace std::chrono_literals;

struct TDeadlineCase {
    const char *Name;
    TCommTimeouts Timeouts;
    uint32_t Count; // bytes the read holds
    int FirstByteMs; // since the read started
    int LastByteMs;
    std::optional<int> DeadlineMs; // since the read started; none: only a full buffer ends the read
};

TEST(ReadTimeouts, DeadlineOfAPendingRead)
{
    const TDeadlineCase cases[] = {
        { "interval rule waits for the first byte", { 100, 0, 0, 0, 0 }, 0, 0, 0, std::nullopt },
        { "a lone byte: interval after it", { 100, 0, 0, 0, 0 }, 1, 40, 40, 140 },
        { "a steady stream: at most 100 ms after the first byte", { 100, 0, 0, 0, 0 }, 30, 40, 120, 140 },
        { "a short interval ends the read first", { 20, 0, 0, 0, 0 }, 5, 10, 30, 50 },
        { "a long interval is capped by the first byte", { 500, 0, 0, 0, 0 }, 2, 0, 10, 100 },
        { "no timeouts: nothing but bytes end a read", { 0, 0, 0, 0, 0 }, 0, 0, 0, std::nullopt },
        { "no timeouts, a byte: the first-byte limit", { 0, 0, 0, 0, 0 }, 3, 10, 10, 110 },
        { "a total bounds an empty read", { 100, 0, 150, 0, 0 }, 0, 0, 0, 150 },
        { "a total before the interval", { 100, 0, 150, 0, 0 }, 4, 60, 120, 150 },
        { "the total counts per byte asked for", { 0, 1, 5, 0, 0 }, 0, 0, 0, 2048 + 5 },
        { "return at once", { MaxDword, 0, 0, 0, 0 }, 0, 0, 0, 0 },
        { "return on the first byte, none yet", { MaxDword, MaxDword, 200, 0, 0 }, 0, 0, 0, 200 },
        { "return on the first byte", { MaxDword, MaxDword, 200, 0, 0 }, 1, 30, 30, 30 },
    };
    const TReadClock::time_point start = TReadClock::time_point() + 1h;
    for (const TDeadlineCase &row : cases) {
        SCOPED_TRACE(row.Name);
        TReadTimeoutPlan plan = PlanRead(row.Timeouts, 2048);
        TPendingReadTimes read { start, row.Count, start + std::chrono::milliseconds(row.FirstByteMs),
            start + std::chrono::milliseconds(row.LastByteMs) };
        std::optional<TReadClock::time_point> deadline = ReadDeadline(plan, read);
        ASSERT_EQ(deadline.has_value(), row.DeadlineMs.has_value());
        if (deadline) {
            EXPECT_EQ(
                std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - start).count(), *row.DeadlineMs);
        }
    }
}

TEST(ReadTimeouts, SettleBeforeTakingMoreBytes)
{
    const struct {
        const char *Name;
        TCommTimeouts Timeouts;
        uint32_t Count; // bytes the read holds
        int NowMs; // since the read started
        int SettleMs;
    } cases[] = {
        { "an empty read watches the device", { 100, 0, 0, 0, 0 }, 0, 50, 0 },
        { "a trickle, default interval: the limit", { 100, 0, 0, 0, 0 }, 7, 50, 20 },
        { "a trickle, short interval: a fifth of it", { 50, 0, 0, 0, 0 }, 7, 50, 10 },
        { "an interval under 5 ms: none", { 4, 0, 0, 0, 0 }, 7, 50, 0 },
        { "no interval rule: the limit", { 0, 0, 0, 0, 0 }, 7, 50, 20 },
        { "92 KB/s: the time the read takes to fill", { 100, 0, 0, 0, 0 }, 552, 6, 16 },
        { "a flood: none", { 100, 0, 0, 0, 0 }, 1000, 0, 0 },
        { "a full read: none", { 100, 0, 0, 0, 0 }, 2048, 50, 0 },
        { "return on the first byte: none", { MaxDword, MaxDword, 200, 0, 0 }, 1, 50, 0 },
        { "return at once: none", { MaxDword, 0, 0, 0, 0 }, 1, 50, 0 },
    };
    const TReadClock::time_point start = TReadClock::time_point() + 1h;
    for (const auto &row : cases) {
        SCOPED_TRACE(row.Name);
        TPendingReadTimes read { start, row.Count, start, start };
        const auto settle
            = ReadSettle(PlanRead(row.Timeouts, 2048), read, 2048, start + std::chrono::milliseconds(row.NowMs));
        EXPECT_EQ(settle.count(), row.SettleMs);
    }
}

} // namespace
