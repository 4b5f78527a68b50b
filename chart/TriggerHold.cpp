// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/TriggerHold.h"

void TTriggerHold::Start(TTriggerMode mode, double now)
{
    FMode = mode;
    FArmed = true;
    FFollowing = false;
    FLastTriggerAt = now;
    FArmedAt = now;
    FShown.reset();
}

bool TTriggerHold::Trigger(double time, double now)
{
    if (!FArmed || (FMode == TTriggerMode::Single && time < FArmedAt))
        return false;
    if (FMode == TTriggerMode::Single)
        FArmed = false;
    FFollowing = false;
    FLastTriggerAt = now;
    const bool changed = FShown != time;
    FShown = time;
    return changed;
}

void TTriggerHold::Elapse(double now, double span)
{
    if (FMode == TTriggerMode::Auto && !FFollowing && now - FLastTriggerAt >= 2 * span) {
        FFollowing = true;
        FShown.reset();
    }
}

void TTriggerHold::Rearm(double now)
{
    FArmed = true;
    FArmedAt = now;
}
