// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

enum class TTriggerMode { Auto, Normal, Single };

// Which trigger the time axis shows, decided on the time of the data (seconds on the time axis): the caller reports
// every complete trigger it finds and, after each look at new data, the time of the newest point.
// - Normal: the newest trigger is shown until a newer one comes; before the first one the view stays where it was.
// - Single: the first trigger that happens after arming (Start or Rearm) is shown and kept; later ones are ignored
//   until Rearm.
// - Auto: as Normal, but when no trigger has come for two spans of the time axis the view follows the newest data
//   again, until the next trigger.
class TTriggerHold
{
public:
    // Starts over in a mode (turning the trigger on, or a new mode): nothing shown, armed, the view held still. now is
    // the newest data's time.
    void Start(TTriggerMode mode, double now);
    TTriggerMode Mode() const { return FMode; }

    // A complete trigger at time `time`, found when the newest data was at now. True when the shown trigger changed.
    bool Trigger(double time, double now);
    // After each look at new data: in Auto, two spans without a trigger let the view follow the data.
    void Elapse(double now, double span);
    // Single: takes the next trigger that happens after now (the one shown stays until then).
    void Rearm(double now);

    bool Armed() const { return FArmed; }
    // The view follows the newest data (Auto without triggers); otherwise the caller holds it still or on Shown().
    bool Following() const { return FFollowing; }
    // The trigger the view is placed on, if any.
    const std::optional<double> &Shown() const { return FShown; }

private:
    TTriggerMode FMode = TTriggerMode::Auto;
    bool FArmed = true;
    bool FFollowing = false;
    double FLastTriggerAt = 0; // data time when the last trigger came (or the start)
    double FArmedAt = 0; // Single: earlier triggers happened before arming
    std::optional<double> FShown;
};
