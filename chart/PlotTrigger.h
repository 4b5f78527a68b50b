// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/TriggerHold.h"
#include "chart/TriggerScan.h"

#include <cstdint>

class QPainter;
class TPlotAxis;
class TPlotChannelCustom;
class TPlotMasterManager;

struct TPlotTriggerSettings {
    bool Enabled = false;
    int Source = 0; // index of the channel whose trace triggers
    double Level = 0;
    TTriggerEdge Edge = TTriggerEdge::Rising;
    TTriggerMode Mode = TTriggerMode::Auto;
    double Position = 10; // share of the view before the trigger, in percent (0 ... 100)

    bool operator==(const TPlotTriggerSettings &) const = default;
};

// The chart's trigger: while it is on, the source channel's time axis stops following the newest data and shows the
// span around the latest trigger whose whole span has arrived, the trigger Position percent from the view's left
// edge (TTriggerHold decides which trigger, by mode). Only new points are looked at, once each, so the cost follows
// the data rate and not the store's size. A paused axis (pause, zoom, a drag) keeps the view the user chose.
// Off, it costs nothing: nothing is looked at and the axes track as always. User-interface thread only.
class TPlotTrigger
{
public:
    explicit TPlotTrigger(TPlotMasterManager &master);

    const TPlotTriggerSettings &Settings() const { return FSettings; }
    // A change starts the search over (and arms a single trigger); turning it off lets the time axis follow again.
    void SetSettings(const TPlotTriggerSettings &settings);
    // Arms a single trigger again: the next trigger after the newest point shown is taken.
    void Rearm();

    // Looks at the source's points that arrived since the last call and places the time axis. The chart calls it
    // before each repaint; with no new points it only re-places the view (a new span, say).
    void Update();

    const TTriggerHold &Hold() const { return FHold; }

    // The level as a dashed line across the data view in the source's colour (drawn clipped to the data view).
    void DrawLevel(QPainter &painter) const;
    // The shown trigger's moment as a small triangle on the time axis, pointing into the data view.
    void DrawMarker(QPainter &painter) const;

private:
    TPlotChannelCustom *Source() const;
    // Begins the search on the points of the last two spans (so that a repeating trace shows at once) and arms.
    void Restart(TPlotChannelCustom &source, const TPlotAxis &timeAxis);
    void ReleaseTimeAxes();

    TPlotMasterManager &FMaster;
    TPlotTriggerSettings FSettings;
    TTriggerScan FScan;
    TTriggerHold FHold;
    bool FStarted = false;
    const TPlotChannelCustom *FScanned = nullptr; // the channel the search runs on; compared, never used
    int64_t FNextPoint = 0; // the next point to look at, counted from the channel's first point since clearing
};
