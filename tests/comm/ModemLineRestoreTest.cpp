// Closing the port puts DTR and RTS back as they were before it opened. A pty has no modem lines, so the test gives one
// pty a pair of them: the test executable is linked with every ioctl call of the program's own code routed through
// __wrap_ioctl below, which answers the modem line requests for that pty and passes everything else on.
#include "comm/SerialComm.h"
#include "tests/support/Pty.h"

#include <cstdarg>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

extern "C" int __real_ioctl(int fd, unsigned long request, ...);

namespace
{

// The modem lines of the pty whose device number is Device; none while Device is 0.
struct TModemLineStandIn {
    dev_t Device = 0;
    int Lines = 0;
};
TModemLineStandIn StandIn;

bool IsStandInDevice(int fd)
{
    struct stat info {
    };
    return StandIn.Device != 0 && ::fstat(fd, &info) == 0 && info.st_rdev == StandIn.Device;
}

} // namespace

extern "C" int __wrap_ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    const bool modemRequest = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (!modemRequest || !IsStandInDevice(fd))
        return __real_ioctl(fd, request, argument);
    int *bits = static_cast<int *>(argument);
    const int lines = *bits & (TIOCM_DTR | TIOCM_RTS);
    if (request == TIOCMGET)
        *bits = StandIn.Lines | TIOCM_DSR | TIOCM_CTS;
    else if (request == TIOCMSET)
        StandIn.Lines = lines;
    else if (request == TIOCMBIS)
        StandIn.Lines |= lines;
    else
        StandIn.Lines &= ~lines;
    return 0;
}

namespace
{

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
        struct stat info {
        };
        ASSERT_EQ(::stat(pty.SlavePath.c_str(), &info), 0);
        StandIn = { info.st_rdev, c.Before };

        TComm comm;
        comm.SetCommName(pty.SlavePath);
        comm.SetDtrControl(c.Dtr);
        comm.SetRtsControl(c.Rts);
        comm.OpenPort();
        EXPECT_EQ(StandIn.Lines, c.WhileOpen) << c.Name;
        comm.ClosePort();
        EXPECT_EQ(StandIn.Lines, c.Before) << c.Name;
        StandIn = {};
    }
}

} // namespace
