// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadTimeouts.h"

#include <algorithm>

TReadTimeoutPlan PlanRead(const TCommTimeouts &timeouts, uint32_t size)
{
    using std::chrono::milliseconds;
    TReadTimeoutPlan plan;
    const TCommTimeouts &t = timeouts;
    plan.ReturnAtOnce
        = t.ReadIntervalTimeout == MaxDword && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    plan.ReturnOnFirstByte = t.ReadIntervalTimeout == MaxDword && t.ReadTotalTimeoutMultiplier == MaxDword
        && t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MaxDword;
    plan.Interval = milliseconds(t.ReadIntervalTimeout == MaxDword ? 0 : t.ReadIntervalTimeout);
    uint64_t total = plan.ReturnOnFirstByte
        ? t.ReadTotalTimeoutConstant
        : uint64_t(t.ReadTotalTimeoutMultiplier) * size + t.ReadTotalTimeoutConstant;
    if (total != 0)
        plan.Total = milliseconds(static_cast<milliseconds::rep>(total));
    return plan;
}

std::optional<TReadClock::time_point> ReadDeadline(const TReadTimeoutPlan &plan, const TPendingReadTimes &read)
{
    if (plan.ReturnAtOnce)
        return read.Start;
    std::optional<TReadClock::time_point> deadline;
    auto limit = [&deadline](TReadClock::time_point t) { deadline = deadline ? std::min(*deadline, t) : t; };
    if (plan.Total)
        limit(read.Start + *plan.Total);
    if (read.Count > 0) {
        if (plan.ReturnOnFirstByte)
            limit(read.FirstByte);
        if (plan.Interval.count() != 0)
            limit(read.LastByte + plan.Interval);
        limit(read.FirstByte + ReadFirstByteLimit);
    }
    return deadline;
}

std::chrono::milliseconds ReadSettle(
    const TReadTimeoutPlan &plan, const TPendingReadTimes &read, uint32_t size, TReadClock::time_point now)
{
    using std::chrono::milliseconds;
    if (read.Count == 0 || read.Count >= size || plan.ReturnAtOnce || plan.ReturnOnFirstByte)
        return milliseconds(0);
    milliseconds settle = plan.Interval.count() == 0 ? ReadSettleLimit : std::min(plan.Interval / 5, ReadSettleLimit);
    // Bytes a millisecond since the read started; a read that got its bytes at once counts as very fast.
    const double elapsedMs = std::max(std::chrono::duration<double, std::milli>(now - read.Start).count(), 0.001);
    const double fillMs = (size - read.Count) / (read.Count / elapsedMs);
    if (fillMs < settle.count())
        settle = milliseconds(static_cast<milliseconds::rep>(fillMs));
    return settle;
}
