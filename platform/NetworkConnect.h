// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Connecting to a TCP port within a time limit. Name lookup and connection run on a thread of their own; a caller on
// the application's main thread keeps its event loop turning meanwhile (user input is held back), so the window
// keeps painting, and any other caller simply waits.

inline constexpr std::chrono::milliseconds RemoteConnectTimeout(5000);

// The connected socket (non-blocking, close-on-exec, no Nagle delay), or -1 and the reason as an errno value:
// ETIMEDOUT when the time ran out, EHOSTUNREACH when the name is not known, ECONNREFUSED and so on as the connection
// attempt said.
struct TConnectResult {
    int Fd = -1;
    int Error = 0;
};

TConnectResult ConnectTcp(
    const std::string &host, uint16_t port, std::chrono::milliseconds timeout = RemoteConnectTimeout);
