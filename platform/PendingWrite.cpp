// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PendingWrite.h"

#include "platform/PollWait.h"

#include <algorithm>

void TPendingWrite::Begin(const TCommTimeouts &timeouts, uint32_t size)
{
    uint64_t total = uint64_t(timeouts.WriteTotalTimeoutMultiplier) * size + timeouts.WriteTotalTimeoutConstant;
    FHasTotal = total != 0;
    FDeadline = TClock::now() + std::chrono::milliseconds(total);
    FIo.Start();
}

int TPendingWrite::Wait(const TSerialEvent &closeEvent, int fd, int timeoutMs, TWriteSteps &steps)
{
    const bool limited = timeoutMs >= 0;
    const TClock::time_point waitEnd = TClock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    for (;;) {
        if (closeEvent.IsSet())
            return 0;
        if (!FIo.Pending)
            return FIo.Done ? 1 : SerialWaitFailed;
        TClock::time_point now = TClock::now();
        if (FHasTotal && now >= FDeadline) {
            FIo.Complete(TIoResult::Done, steps.WrittenAtDeadline());
            continue;
        }
        if (limited && now >= waitEnd)
            return SerialWaitTimeout;
        int timeout = FHasTotal ? MillisecondsUntil(now, FDeadline) : -1;
        if (limited) {
            int untilEnd = MillisecondsUntil(now, waitEnd);
            timeout = timeout < 0 ? untilEnd : std::min(timeout, untilEnd);
        }
        pollfd items[2] = { { closeEvent.Fd(), POLLIN, 0 }, { fd, POLLOUT, 0 } };
        TPollWake polled = CheckPoll(::poll(items, 2, timeout), items[0]);
        if (polled == TPollWake::Again)
            continue;
        if (polled != TPollWake::Go)
            return polled == TPollWake::Closed ? 0 : SerialWaitFailed;
        short events = items[1].revents;
        if (events & POLLNVAL) {
            FIo.Complete(TIoResult::InvalidHandle, 0);
        } else if (events & (POLLHUP | POLLERR)) {
            steps.Abandon();
            FIo.Complete(TIoResult::Failed, 0);
        } else if (events & POLLOUT) {
            TIoResult result;
            uint32_t written;
            if (steps.WriteMore(result, written))
                FIo.Complete(result, written);
        }
    }
}
