// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// A TCP server on a free loopback port that takes one connection and plays a peer on it from a thread of its own:
// `serve` gets the connected socket (blocking) and a flag that is set when the test ends it. Ending it shuts the
// sockets down, so that a peer blocked in a send or receive returns.
class TLoopbackPeer
{
public:
    using TServe = std::function<void(int fd, const std::atomic<bool> &stop)>;

    // receiveBuffer > 0: the connection's receive buffer is made that small, so that a peer that does not read holds
    // its sender back soon.
    explicit TLoopbackPeer(TServe serve, int receiveBuffer = 0);
    ~TLoopbackPeer();
    TLoopbackPeer(const TLoopbackPeer &) = delete;
    TLoopbackPeer &operator=(const TLoopbackPeer &) = delete;

    // "<scheme>://127.0.0.1:<port>"
    std::string Name(const std::string &scheme) const;
    void Stop();

private:
    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<int> FConnection { -1 };
    std::atomic<bool> FStop { false };
    std::thread FThread;
};

// Sends all of `bytes` on a blocking socket; false when the connection failed or was shut down.
bool SendAllOn(int fd, const char *bytes, std::size_t size);
