// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotDataCustomList.h"

#include <cstdint>
#include <optional>

enum class TTriggerEdge { Rising, Falling };

// What makes a trigger: the trace crossing Level in the direction of Edge. A crossing counts only after the trace has
// been more than Hysteresis on the far side of the level, so that noise riding on a slow edge gives one trigger, not
// a burst of them.
struct TTriggerCondition {
    double Level = 0;
    TTriggerEdge Edge = TTriggerEdge::Rising;
    double Hysteresis = 0;
};

// Finds crossings in a trace taken point by point, in adding order, across as many calls as the points take to
// arrive. For a rising edge a point below Level - Hysteresis arms the scan and the next point above Level fires it;
// the crossing time is where the straight line from the point before the firing one (at or below the level) meets the
// level, so it lies between those two points' X. A point exactly on the level neither fires nor disarms, so a trace
// that rises through a point on the level fires once, at that point's X. A falling edge is the mirror image. A point
// flagged Empty is skipped; a Null point, a point that is not finite and a step back in X break the trace: the scan
// starts again unarmed.
class TTriggerScan
{
public:
    TTriggerScan() = default;
    explicit TTriggerScan(const TTriggerCondition &condition)
        : FCondition(condition)
    {
    }

    const TTriggerCondition &Condition() const { return FCondition; }
    // Keeps the scan's place (the level and the edge stay as they are).
    void SetHysteresis(double hysteresis) { FCondition.Hysteresis = hysteresis; }
    // Forgets the points taken so far.
    void Reset();

    // The crossing time when this point completes a crossing.
    std::optional<double> Take(double x, double y, uint16_t flags = 0);

private:
    TTriggerCondition FCondition;
    bool FArmed = false;
    bool FHavePrevious = false;
    double FPreviousX = 0;
    double FPreviousValue = 0; // the previous Y, negated for a falling edge
};

// Takes the points of a store from index first on, in order, up to the last one whose X is at most untilX (the
// points after it wait for a later call), and calls found(time) for each crossing they complete. Returns the index of
// the first point not taken.
template <class TFound>
int ScanForTriggers(const TPlotDataCustomList &store, int first, double untilX, TTriggerScan &scan, TFound &&found)
{
    const int count = store.Count();
    int i = first;
    for (; i < count; ++i) {
        const double x = store.X(i);
        if (x > untilX)
            break;
        if (std::optional<double> time = scan.Take(x, store.Y(i), store.Flags(i)))
            found(*time);
    }
    return i;
}
