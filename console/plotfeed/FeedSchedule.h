// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// When the plot feed steps: a single-shot timer that runs only while lines wait, so an idle program wakes nobody.
// Received data wakes it IntervalMs later; a step that leaves lines arms the next at once (BacklogIntervalMs). Pauses
// are counted: while any is held (an export reading the chart's points, say) nothing starts the timer, not even newly
// received data, and the last Resume wakes the feed again. User-interface thread only.
class TFeedSchedule : public QObject
{
public:
    static constexpr int IntervalMs = 10;
    // The gap after a step that left lines waiting.
    static constexpr int BacklogIntervalMs = 0;

    // hasWork tells whether lines wait; step takes them (TPlotFeed::Step).
    TFeedSchedule(std::function<bool()> hasWork, std::function<void()> step, QObject *parent = nullptr);

    QTimer &Timer() { return FTimer; }
    // Starts the timer when lines wait, no pause is held and it is not running yet.
    void Wake();
    // One step now: the timer's own handler.
    void Step();
    void Pause();
    void Resume();
    bool Paused() const { return FPauses > 0; }

private:
    std::function<bool()> FHasWork;
    std::function<void()> FStep;
    QTimer FTimer;
    int FPauses = 0;
    bool FBacklog = false; // a step has left lines waiting since the queue was last empty
};
