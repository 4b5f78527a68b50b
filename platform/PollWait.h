// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

// Helpers of the devices' wait loops, which poll their descriptor together with the caller's close event.

// Milliseconds from `now` to `deadline` as a poll timeout: rounded up so that a wait never ends before the deadline,
// 0 for a deadline that has passed, at most an hour.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point deadline)
{
    if (deadline <= now)
        return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::min<long long>(ms, 1000 * 60 * 60));
}

// What a poll that watched the close event (`closeItem`) says before the device's own descriptors are looked at.
enum class TPollWake {
    Again, // interrupted by a signal: the loop starts over
    Closed, // the close event is set: the wait returns 0
    Failed, // polling or the close event failed: the wait returns SerialWaitFailed
    Go, // the device's descriptors may have news
};

// `polled` is poll's result, taken right after the call (errno still belongs to it).
inline TPollWake CheckPoll(int polled, const pollfd &closeItem)
{
    if (polled < 0)
        return errno == EINTR ? TPollWake::Again : TPollWake::Failed;
    if (closeItem.revents & POLLIN)
        return TPollWake::Closed;
    if (closeItem.revents & (POLLERR | POLLNVAL))
        return TPollWake::Failed;
    return TPollWake::Go;
}
