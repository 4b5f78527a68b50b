// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// How long an instrument window waits before its next refresh: its usual period, or longer when a refresh itself
// took long (a million XY pairs, a slow machine), so that refreshes take at most a fifth of the user-interface thread
// and the chart keeps its frame rate. periodMs: the usual period; lastRefreshMs: how long the last refresh took.
int NextRefreshInterval(int periodMs, double lastRefreshMs);

// Runs a window's refresh from a single-shot timer, at the pace NextRefreshInterval sets, while started.
class TRefreshPacer : public QObject
{
public:
    TRefreshPacer(int periodMs, std::function<void()> refresh, QObject *parent);

    void Start();
    void Stop();
    bool Active() const { return FTimer.isActive(); }
    int Interval() const { return FTimer.interval(); }

private:
    void Tick();

    int FPeriod;
    std::function<void()> FRefresh;
    QTimer FTimer;
};
