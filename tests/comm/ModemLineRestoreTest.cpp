// SPDX-License-Identifier: GPL-3.0-or-later
// Closing the port puts DTR and RTS back as they were before it opened; the line counters are read when bytes arrive
// or a modem line changes, never on a timer. A pty has no modem lines and no counters: ModemStandIn gives one pty both.
#include "comm/CommMessages.h"
#include "comm/SerialComm.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/comm/ModemStandIn.h"
#include "tests/support/Pty.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace
{

dev_t DeviceOf(const TPty &pty)
{
    struct stat info {
    };
    return ::stat(pty.SlavePath.c_str(), &info) == 0 ? info.st_rdev : 0;
}

TEST(ModemLineRestore, ClosingPutsDtrAndRtsBackAsTheyWereBeforeOpening)
{
    struct Case {
        const char *Name;
        int Before;
        TDtrControl Dtr;
        TRtsControl Rts;
        int WhileOpen;
    };
    const Case cases[] = {
        { "both down, both raised", 0, TDtrControl::DtrEnable, TRtsControl::RtsEnable, TIOCM_DTR | TIOCM_RTS },
        { "DTR only, both raised", TIOCM_DTR, TDtrControl::DtrEnable, TRtsControl::RtsEnable, TIOCM_DTR | TIOCM_RTS },
        { "RTS only, DTR raised and RTS dropped", TIOCM_RTS, TDtrControl::DtrEnable, TRtsControl::RtsDisable,
            TIOCM_DTR },
        { "both up, both dropped", TIOCM_DTR | TIOCM_RTS, TDtrControl::DtrDisable, TRtsControl::RtsDisable, 0 },
    };
    for (const Case &c : cases) {
        TPty pty { TPty::Raw };
        ASSERT_TRUE(pty.Valid());
        ModemStandIn::Use(DeviceOf(pty), c.Before);

        TComm comm;
        comm.SetCommName(pty.SlavePath);
        comm.SetDtrControl(c.Dtr);
        comm.SetRtsControl(c.Rts);
        comm.OpenPort();
        EXPECT_EQ(ModemStandIn::Lines(), c.WhileOpen) << c.Name;
        comm.ClosePort();
        EXPECT_EQ(ModemStandIn::Lines(), c.Before) << c.Name;
        ModemStandIn::Use(0);
    }
}

TEST(LineCounters, AreReadWhenBytesArriveOrAModemLineChangesNeverOnATimer)
{
    TPty pty { TPty::Raw };
    ASSERT_TRUE(pty.Valid());
    ModemStandIn::Use(DeviceOf(pty));
    TComm comm;
    TEventLog log { comm };
    comm.SetCommName(pty.SlavePath);
    comm.OpenPort();

    // Idle: nothing arrives and no line changes, so nothing reads the counters (a 50 ms timer would read them
    // several times in this pause, which is itself what is tested).
    PumpFor(100ms);
    const int idle = ModemStandIn::CounterReads();
    PumpFor(300ms);
    EXPECT_EQ(ModemStandIn::CounterReads(), idle);

    // A carrier change is reported without a byte arriving.
    ModemStandIn::Count([](serial_icounter_struct &counters) { ++counters.dcd; });
    EXPECT_TRUE(WaitUntil([&] { return log.Count("modem:" + std::to_string(ModemCarrier)) == 1; }));

    // A framing error is seen with the byte it spoiled.
    ModemStandIn::Count([](serial_icounter_struct &counters) { ++counters.frame; });
    pty.Write("x");
    EXPECT_TRUE(WaitUntil([&] { return log.Count("error:" + std::to_string(CeFrame)) == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return log.Received == "x"; }));
    comm.ClosePort();
    ModemStandIn::Use(0);
}

} // namespace
