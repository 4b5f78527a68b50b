// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PendingRead.h"

#include <algorithm>
#include <utility>

void TPendingRead::Begin(char *buffer, uint32_t size, const TCommTimeouts &timeouts)
{
    FBuffer = buffer;
    FSize = size;
    FPlan = PlanRead(timeouts, size);
    FTimes = TPendingReadTimes { TReadClock::now(), 0, {}, {} };
    FSettleEnd = {};
    FRuns.clear();
}

void TPendingRead::Add(uint32_t bytes, TReadClock::time_point now)
{
    if (FTimes.Count == 0)
        FTimes.FirstByte = now;
    FTimes.LastByte = now;
    FTimes.Count += bytes;
    FRuns.push_back(
        { FTimes.Count, std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count() });
}

TIoResult TPendingRead::Started(TDrain drained, bool &vanished, uint32_t &count)
{
    switch (drained) {
    case TDrain::Ok:
        break;
    case TDrain::Vanished:
        vanished = true;
        if (FTimes.Count == 0)
            return TIoResult::Failed;
        count = FTimes.Count;
        return TIoResult::Done;
    case TDrain::BadHandle:
        return TIoResult::InvalidHandle;
    case TDrain::Failed:
        return TIoResult::Failed;
    }
    if (FTimes.Count == FSize || IsDue(TReadClock::now())) {
        count = FTimes.Count;
        return TIoResult::Done;
    }
    FIo.Start();
    return TIoResult::Pending;
}

void TPendingRead::Drained(TDrain drained, bool &vanished, TPendingIo &commWait)
{
    switch (drained) {
    case TDrain::Ok:
        if (FIo.Pending && FTimes.Count == FSize)
            FIo.Complete(TIoResult::Done, FTimes.Count);
        else if (FIo.Pending && FTimes.Count > 0) {
            const TReadClock::time_point now = TReadClock::now();
            FSettleEnd = now + ReadSettle(FPlan, FTimes, FSize, now);
        }
        break;
    case TDrain::Vanished:
        // The bytes read before the device went away are still delivered; the next read fails.
        vanished = true;
        if (FIo.Pending)
            FIo.Complete(FTimes.Count > 0 ? TIoResult::Done : TIoResult::Failed, FTimes.Count);
        else
            commWait.Complete(TIoResult::Failed, 0);
        break;
    case TDrain::BadHandle:
        FIo.Complete(TIoResult::InvalidHandle, FTimes.Count);
        break;
    case TDrain::Failed:
        FIo.Complete(TIoResult::Failed, FTimes.Count);
        break;
    }
}

void TPendingRead::Invalid(TPendingIo &commWait)
{
    if (FIo.Pending)
        FIo.Complete(TIoResult::InvalidHandle, FTimes.Count);
    else
        commWait.Complete(TIoResult::InvalidHandle, 0);
}

bool TPendingRead::IsDue(TReadClock::time_point now) const
{
    std::optional<TReadClock::time_point> deadline = ReadDeadline(FPlan, FTimes);
    return deadline && now >= *deadline;
}

bool TPendingRead::CompleteIfDue(TReadClock::time_point now)
{
    if (!FIo.Pending || !IsDue(now))
        return false;
    FIo.Complete(TIoResult::Done, FTimes.Count);
    return true;
}

std::optional<TReadClock::time_point> TPendingRead::WakeUp(TReadClock::time_point now) const
{
    if (!FIo.Pending)
        return std::nullopt;
    std::optional<TReadClock::time_point> wake = ReadDeadline(FPlan, FTimes);
    if (Settling(now))
        wake = wake ? std::min(*wake, FSettleEnd) : FSettleEnd;
    return wake;
}

std::vector<TReadRun> TPendingRead::TakeRuns()
{
    return std::exchange(FRuns, {});
}
