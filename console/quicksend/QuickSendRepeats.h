// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// Which quick-send entries repeat and when each is due next, on the caller's clock (milliseconds). An entry that
// starts at t with interval i is due at t + i, t + 2i, ... whatever the moment each send was made, so the sends keep
// their rate; a tick that comes late sends once and the entry is next due on its own grid after that tick, never in a
// burst that makes up for the lost intervals.
class TQuickSendRepeats
{
public:
    // The entry's first send was made at now; it is due next at now + intervalMs (intervalMs > 0).
    void Start(std::size_t entry, int32_t intervalMs, int64_t now);
    void Stop(std::size_t entry);
    void StopAll() { FRunning.clear(); }
    bool Running(std::size_t entry) const { return FRunning.contains(entry); }
    bool Any() const { return !FRunning.empty(); }

    // The entries due at now, in entry order; each is then due at the next point of its grid after now.
    std::vector<std::size_t> TakeDue(int64_t now);
    // Milliseconds from now to the next due time (0 when one is due already); nothing when no entry repeats.
    std::optional<int64_t> MsUntilNext(int64_t now) const;

private:
    struct TRepeat {
        int64_t Interval;
        int64_t Due;
    };
    std::map<std::size_t, TRepeat> FRunning;
};
