// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <thread>

// Tells when a modem line of a serial device changes (ring, carrier), without polling: a thread of its own waits in
// the driver (TIOCMIWAIT) and makes WakeFd() readable after each change, so that the receive worker's poll sees it
// beside the device's data. Drivers that cannot wait for modem lines (ptys, some adapters) end the watch at once;
// Failed() then tells the worker to fall back to sampling now and then.
//
// Start and Stop are for one thread (the receive worker, or the device's owner once the worker has ended).
class TModemLineWatch
{
public:
    TModemLineWatch() = default;
    // Stops the watch.
    ~TModemLineWatch();
    TModemLineWatch(const TModemLineWatch &) = delete;
    TModemLineWatch &operator=(const TModemLineWatch &) = delete;

    // Starts watching fd (which must stay open until Stop); false when no watch could be started.
    bool Start(int fd);
    // Ends the watch and waits for its thread. Nothing when none runs.
    void Stop();
    bool Running() const { return FThread.joinable(); }

    // Readable after a change (or when the watch failed); Take() empties it. -1 while no watch runs.
    int WakeFd() const { return FWake; }
    void Take();
    bool Failed() const { return FFailed.load(); }

private:
    void Run(int fd);

    std::thread FThread;
    int FWake = -1;
    std::atomic<bool> FStop { false };
    std::atomic<bool> FEnded { false };
    std::atomic<bool> FFailed { false };
};
