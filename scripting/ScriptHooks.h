// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// The longest line handed to the Log hook and the longest error message of a script, in bytes: a longer one is cut
// and says how long it was, so that one huge print or error cannot hold up the output pane.
inline constexpr std::size_t MaxLogBytes = 4000;

// What a hook did with what a script handed it.
enum class THookReply {
    Taken,
    Busy, // too much is still on its way: the script waits a little and offers it again
    PortClosed, // the port is not open: nothing was taken, and waiting will not help
};

// What a running script does to the world outside it. Each hook is called on the script's thread, must return at
// once (copy what it keeps and hand the work to the thread that owns the port) and must not wait for that thread.
// Everything a hook queues is bounded: a hook with too much on its way answers Busy, and the script waits (ending its
// wait when it is stopped) before it offers the same again, so that no loop in a script can make the program grow. A
// missing hook takes everything and does nothing.
struct TScriptHooks {
    // Bytes exactly as they go on the line.
    std::function<THookReply(std::string_view bytes)> Send;
    std::function<THookReply(bool on)> SetDtr;
    std::function<THookReply(bool on)> SetRts;
    // A line for the output pane (the script's bytes, often UTF-8), at most MaxLogBytes of them.
    std::function<THookReply(std::string_view text)> Log;
};
