#include "console/plotfeed/FeedSchedule.h"

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
        FTimer.start();
}

void TFeedSchedule::Step()
{
    // A step takes every waiting line within its few milliseconds; the next step follows a full interval in which
    // input, painting and received data are handled, and only while lines are left.
    FTimer.stop();
    if (FPauses > 0)
        return;
    FStep();
    Wake();
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
