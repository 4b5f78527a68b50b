// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/RefreshPacer.h"

#include <algorithm>
#include <cmath>

namespace
{

// A refresh may take at most this share of the time between two.
constexpr double MaxShare = 0.2;
// However slow a refresh, the window still shows something new every few seconds.
constexpr int LongestInterval = 5000;

} // namespace

int NextRefreshInterval(int periodMs, double lastRefreshMs)
{
    if (!(lastRefreshMs > 0))
        return periodMs;
    const double stretched = std::ceil(lastRefreshMs / MaxShare);
    return int(std::clamp(stretched, double(periodMs), double(std::max(periodMs, LongestInterval))));
}

TRefreshPacer::TRefreshPacer(int periodMs, std::function<void()> refresh, QObject *parent)
    : QObject(parent)
    , FPeriod(periodMs)
    , FRefresh(std::move(refresh))
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(FPeriod);
    connect(&FTimer, &QTimer::timeout, this, &TRefreshPacer::Tick);
}

void TRefreshPacer::Start()
{
    FTimer.start(FPeriod);
}

void TRefreshPacer::Stop()
{
    FTimer.stop();
}

void TRefreshPacer::Tick()
{
    QElapsedTimer took;
    took.start();
    FRefresh();
    FTimer.start(NextRefreshInterval(FPeriod, double(took.nsecsElapsed()) / 1e6));
}
