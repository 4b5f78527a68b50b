// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LineCounterDelta.h"

#include "platform/SerialDevice.h"

#include <climits>
#include <gtest/gtest.h>

namespace
{

// The driver counts in 32 bits and wraps; a signed ++ past INT_MAX would be undefined in the test itself.
void Bump(int &counter)
{
    counter = static_cast<int>(static_cast<unsigned>(counter) + 1u);
}

TEST(LineCounterDelta, EventsBetweenTwoSamples)
{
    struct TCase {
        const char *Name;
        void (*Change)(serial_icounter_struct &);
        TLineCounterEvents Expected;
    };
    const TCase cases[] = {
        { "nothing moved", [](serial_icounter_struct &) {}, {} },
        { "a framing error", [](serial_icounter_struct &c) { Bump(c.frame); }, { CeFrame, EvErr } },
        { "parity errors", [](serial_icounter_struct &c) { c.parity += 3; }, { CeRxParity, EvErr } },
        { "a hardware overrun", [](serial_icounter_struct &c) { ++c.overrun; }, { CeOverrun, EvErr } },
        { "the input buffer overran", [](serial_icounter_struct &c) { ++c.buf_overrun; }, { CeRxOver, EvErr } },
        { "a break", [](serial_icounter_struct &c) { ++c.brk; }, { CeBreak, EvErr } },
        { "two kinds of error",
            [](serial_icounter_struct &c) {
                Bump(c.frame);
                ++c.parity;
            },
            { CeFrame | CeRxParity, EvErr } },
        { "a ring", [](serial_icounter_struct &c) { ++c.rng; }, { 0, EvRing } },
        { "the carrier changed", [](serial_icounter_struct &c) { ++c.dcd; }, { 0, EvRlsd } },
        { "an error, a ring and the carrier",
            [](serial_icounter_struct &c) {
                ++c.brk;
                ++c.rng;
                c.dcd += 2;
            },
            { CeBreak, EvErr | EvRing | EvRlsd } },
        { "bytes, CTS and DSR raise nothing",
            [](serial_icounter_struct &c) {
                c.rx += 100;
                ++c.tx;
                ++c.cts;
                ++c.dsr;
            },
            {} },
        { "a counter that wrapped", [](serial_icounter_struct &c) { c.frame = INT_MIN; }, { CeFrame, EvErr } },
    };
    // Counters that have run for a while, one of them at its top.
    const serial_icounter_struct before { .cts = 3,
        .dsr = 1,
        .rng = 7,
        .dcd = 4,
        .rx = 5000,
        .tx = 300,
        .frame = INT_MAX,
        .overrun = 2,
        .parity = 9,
        .brk = 1,
        .buf_overrun = 0,
        .reserved = {} };
    for (const TCase &row : cases) {
        SCOPED_TRACE(row.Name);
        serial_icounter_struct after = before;
        row.Change(after);
        EXPECT_EQ(LineCounterDelta(before, after), row.Expected);
    }
}

} // namespace
