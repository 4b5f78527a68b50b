// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

// Between the thread that receives and a running script: the received bytes the script has not taken yet, and the
// request to stop. Push and RequestStop may be called from any thread and never wait for the script; the script's
// thread waits here, and a stop request wakes any wait at once.
class TScriptInput
{
public:
    // Bytes beyond this many that the script has not taken are dropped from the front, so that a script that never
    // reads cannot make the program grow without end.
    static constexpr std::size_t MaxPending = 1 << 20;

    void Push(std::string_view bytes);
    void RequestStop();
    bool StopRequested() const { return FStop.load(); }

    // The bytes not yet taken, and a count that changes whenever they do.
    struct TSnapshot {
        std::string Bytes;
        uint64_t Version = 0;
        uint64_t Dropped = 0; // bytes dropped from the front before this snapshot, ever
    };
    TSnapshot Snapshot() const;
    // The script has taken the first count bytes of snapshot: they go (less any that were dropped since); bytes that
    // arrived after the snapshot stay.
    void Take(const TSnapshot &snapshot, std::size_t count);

    enum class TWait { Changed, TimedOut, Stopped };
    // Waits until the bytes differ from the snapshot of version, stop is requested, or deadline passes.
    TWait WaitForChange(uint64_t version, std::chrono::steady_clock::time_point deadline) const;
    // Waits until stop is requested or deadline passes.
    TWait Sleep(std::chrono::steady_clock::time_point deadline) const;

private:
    mutable std::mutex FMutex;
    mutable std::condition_variable FChanged;
    std::string FPending;
    uint64_t FVersion = 0; // counts every change of FPending
    uint64_t FDropped = 0; // bytes dropped from FPending's front by MaxPending, ever
    std::atomic<bool> FStop { false };
};
