#include "console/FeedSchedule.h"

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
    if (FPauses == 0 && FHasWork())
        FTimer.start(BacklogIntervalMs);
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
