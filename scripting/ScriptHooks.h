// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// What a running script does to the world outside it. Each hook is called on the script's thread, must return at
// once (hand the work to the thread that owns the port) and must not wait for that thread: stopping a script waits
// for its thread. A missing hook does nothing.
struct TScriptHooks {
    // Bytes exactly as they go on the line. False: too much is still on its way, try again later (the script waits a
    // little and tries again, so that a script sending in a loop cannot flood the thread that owns the port).
    std::function<bool(std::string bytes)> Send;
    std::function<void(bool on)> SetDtr;
    std::function<void(bool on)> SetRts;
    std::function<void(std::string text)> Log; // a line for the output pane (the script's bytes, often UTF-8)
};
