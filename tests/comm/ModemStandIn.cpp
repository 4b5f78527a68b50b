// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/comm/ModemStandIn.h"

#include <cerrno>
#include <condition_variable>
#include <cstdarg>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int __real_ioctl(int fd, unsigned long request, ...);

namespace
{

struct TStandIn {
    std::mutex Lock;
    dev_t Device = 0;
    int Lines = 0;
    int CounterReads = 0;
    serial_icounter_struct Counters {};
    int WakePipe[2] = { -1, -1 }; // a byte in it ends a modem line wait
};

TStandIn &StandIn()
{
    static TStandIn standIn;
    return standIn;
}

bool IsStandInDevice(int fd)
{
    struct stat info {
    };
    std::lock_guard lock(StandIn().Lock);
    return StandIn().Device != 0 && ::fstat(fd, &info) == 0 && info.st_rdev == StandIn().Device;
}

// Waits for a modem line change; a signal ends the wait with EINTR, as it does in the driver.
int WaitForChange()
{
    pollfd item { StandIn().WakePipe[0], POLLIN, 0 };
    if (::poll(&item, 1, -1) < 0)
        return -1; // errno is EINTR
    char byte;
    if (::read(StandIn().WakePipe[0], &byte, 1) != 1)
        return -1;
    return 0;
}

} // namespace

namespace ModemStandIn
{

void Use(dev_t device, int lines)
{
    TStandIn &standIn = StandIn();
    std::lock_guard lock(standIn.Lock);
    if (standIn.WakePipe[0] < 0 && ::pipe(standIn.WakePipe) != 0)
        return;
    standIn.Device = device;
    standIn.Lines = lines;
    standIn.CounterReads = 0;
    standIn.Counters = {};
}

int Lines()
{
    std::lock_guard lock(StandIn().Lock);
    return StandIn().Lines;
}

int CounterReads()
{
    std::lock_guard lock(StandIn().Lock);
    return StandIn().CounterReads;
}

void Count(void (*change)(serial_icounter_struct &counters))
{
    TStandIn &standIn = StandIn();
    std::lock_guard lock(standIn.Lock);
    const serial_icounter_struct before = standIn.Counters;
    change(standIn.Counters);
    if (standIn.Counters.dcd != before.dcd || standIn.Counters.rng != before.rng) {
        const char byte = 1;
        (void)!::write(standIn.WakePipe[1], &byte, 1);
    }
}

} // namespace ModemStandIn

extern "C" int __wrap_ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    const bool standsIn = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC
        || request == TIOCGICOUNT || request == TIOCMIWAIT;
    if (!standsIn || !IsStandInDevice(fd))
        return __real_ioctl(fd, request, argument);
    if (request == TIOCMIWAIT)
        return WaitForChange();
    TStandIn &standIn = StandIn();
    std::lock_guard lock(standIn.Lock);
    if (request == TIOCGICOUNT) {
        ++standIn.CounterReads;
        *static_cast<serial_icounter_struct *>(argument) = standIn.Counters;
        return 0;
    }
    int *bits = static_cast<int *>(argument);
    const int lines = *bits & (TIOCM_DTR | TIOCM_RTS);
    if (request == TIOCMGET)
        *bits = standIn.Lines | TIOCM_DSR | TIOCM_CTS;
    else if (request == TIOCMSET)
        standIn.Lines = lines;
    else if (request == TIOCMBIS)
        standIn.Lines |= lines;
    else
        standIn.Lines &= ~lines;
    return 0;
}
