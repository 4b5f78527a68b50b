// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/FeedSchedule.h"

#include <malloc.h>

TFeedSchedule::TFeedSchedule(std::function<bool()> hasWork, std::function<void()> step, QObject *parent)
    : QObject(parent)
    , FHasWork(std::move(hasWork))
    , FStep(std::move(step))
{
    FTimer.setInterval(IntervalMs);
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &TFeedSchedule::Step);
}

void TFeedSchedule::Wake()
{
    if (FPauses == 0 && !FTimer.isActive() && FHasWork())
        FTimer.start(IntervalMs);
}

void TFeedSchedule::Step()
{
    // A step takes every waiting line within its few milliseconds. Lines left behind are a backlog (a flood): the
    // next step follows as soon as the event loop has handled what waits (input, painting, received data), so that
    // the chart catches up at the pace the machine allows. Otherwise new lines wake the feed a full interval later.
    FTimer.stop();
    if (FPauses > 0)
        return;
    FStep();
    if (FHasWork()) {
        FBacklog = true;
        if (FPauses == 0)
            FTimer.start(BacklogIntervalMs);
    } else if (FBacklog) {
        // A drained backlog leaves the heap full of freed blocks (received chunks, queued lines) that the allocator
        // keeps for later; hand them back to the system once instead of holding a flood's worth of memory.
        FBacklog = false;
        malloc_trim(0);
    }
}

void TFeedSchedule::Pause()
{
    ++FPauses;
    FTimer.stop();
}

void TFeedSchedule::Resume()
{
    if (FPauses > 0 && --FPauses == 0)
        Wake();
}
