// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StreamSerialDevice.h"

#include <poll.h>

TStreamSerialDevice::TStreamSerialDevice(int fd)
    : FFd(fd)
{
}

bool TStreamSerialDevice::GetCommTimeouts(TCommTimeouts &timeouts)
{
    timeouts = Timeouts();
    return true;
}

bool TStreamSerialDevice::SetCommTimeouts(const TCommTimeouts &timeouts)
{
    std::lock_guard lock(FConfigLock);
    FTimeouts = timeouts;
    return true;
}

TCommTimeouts TStreamSerialDevice::Timeouts()
{
    std::lock_guard lock(FConfigLock);
    return FTimeouts;
}

TIoResult TStreamSerialDevice::ReadFile(char *buffer, uint32_t size, uint32_t &count)
{
    if (FVanished || FRead.Busy() || size == 0)
        return TIoResult::Failed;
    FRead.Begin(buffer, size, Timeouts());
    return FRead.Started(Drain(), FVanished, count);
}

void TStreamSerialDevice::TakeDescriptorEvents(short revents)
{
    if (revents & POLLNVAL) {
        FRead.Invalid(FCommWait.Io());
        return;
    }
    TDrain drained = TDrain::Ok;
    if (FRead.Pending() && (revents & POLLIN))
        drained = Drain();
    if (drained == TDrain::Ok && (revents & (POLLHUP | POLLERR)))
        drained = TDrain::Vanished;
    FRead.Drained(drained, FVanished, FCommWait.Io());
}

std::optional<int> TStreamSerialDevice::ReceiveCompletion(const TSerialEvent &closeEvent, TReadClock::time_point now)
{
    if (!FCommWait.Done() && !FRead.Done() && !FRead.CompleteIfDue(now))
        return std::nullopt;
    // The close request wins over completions; while nothing has completed the receive poll watches for it.
    return closeEvent.IsSet() ? 0 : FCommWait.Done() ? 1 : 2;
}
