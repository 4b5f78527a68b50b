// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptInput.h"

#include <algorithm>

void TScriptInput::Push(std::string_view bytes)
{
    if (bytes.empty())
        return;
    {
        std::lock_guard lock(FMutex);
        FPending.append(bytes);
        if (FPending.size() > MaxPending) {
            const std::size_t excess = FPending.size() - MaxPending;
            FPending.erase(0, excess);
            FDropped += excess;
        }
        ++FVersion;
    }
    FChanged.notify_all();
}

void TScriptInput::RequestStop()
{
    {
        // Under the lock, so that a waiter cannot miss the flag between its check and its wait.
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FChanged.notify_all();
}

TScriptInput::TSnapshot TScriptInput::Snapshot() const
{
    std::lock_guard lock(FMutex);
    return { FPending, FVersion, FDropped };
}

void TScriptInput::Take(const TSnapshot &snapshot, std::size_t count)
{
    std::lock_guard lock(FMutex);
    const uint64_t droppedSince = FDropped - snapshot.Dropped;
    if (count <= droppedSince)
        return;
    FPending.erase(0, std::min<std::size_t>(count - droppedSince, FPending.size()));
    ++FVersion;
}

TScriptInput::TWait TScriptInput::WaitForChange(uint64_t version, std::chrono::steady_clock::time_point deadline) const
{
    std::unique_lock lock(FMutex);
    const bool woken = FChanged.wait_until(lock, deadline, [&] { return FStop.load() || FVersion != version; });
    if (FStop)
        return TWait::Stopped;
    return woken ? TWait::Changed : TWait::TimedOut;
}

TScriptInput::TWait TScriptInput::Sleep(std::chrono::steady_clock::time_point deadline) const
{
    std::unique_lock lock(FMutex);
    return FChanged.wait_until(lock, deadline, [&] { return FStop.load(); }) ? TWait::Stopped : TWait::TimedOut;
}
