// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialEvent.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

TSerialEvent::TSerialEvent(bool signalled)
    : FFd(eventfd(signalled ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC))
    , FSet(signalled)
{
}

TSerialEvent::~TSerialEvent()
{
    if (FFd >= 0)
        close(FFd);
}

void TSerialEvent::Set()
{
    // The flag first, so that whoever wakes on the descriptor also finds the event set.
    FSet.store(true, std::memory_order_release);
    uint64_t one = 1;
    // The counter only has to be non-zero; a full counter (EAGAIN) is still set.
    while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) { }
}

void TSerialEvent::Reset()
{
    FSet.store(false, std::memory_order_release);
    uint64_t value;
    while (read(FFd, &value, sizeof value) < 0 && errno == EINTR) { }
}

bool TSerialEvent::IsSet() const
{
    return FSet.load(std::memory_order_acquire);
}

int WaitForSerialEvents(std::initializer_list<const TSerialEvent *> events, int timeoutMs)
{
    std::vector<pollfd> items;
    items.reserve(events.size());
    for (const TSerialEvent *event : events)
        items.push_back({ event->Fd(), POLLIN, 0 });
    for (;;) {
        int result = poll(items.data(), items.size(), timeoutMs);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0)
            return -1;
        if (result == 0)
            return SerialWaitTimeout;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].revents & POLLIN)
                return static_cast<int>(i);
            if (items[i].revents & (POLLERR | POLLNVAL))
                return -1;
        }
    }
}
