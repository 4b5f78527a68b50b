// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NetworkConnect.h"
#include "platform/SerialDevice.h"

#include <chrono>
#include <string>

// How long a peer may leave bytes we have for it untaken (nothing of them accepted by its side of the connection)
// before it counts as gone.
inline constexpr std::chrono::milliseconds RemoteStallTimeout(10000);

struct TRemotePortLimits {
    // Connecting and, for RFC 2217, the server's agreement to the COM-PORT-OPTION, together.
    std::chrono::milliseconds Open = RemoteConnectTimeout;
    std::chrono::milliseconds Stall = RemoteStallTimeout;
};

// Opens a remote port by its name ("rfc2217://host:port" or "tcp://host:port", see platform/RemotePortName.h) as a
// serial device. Opening takes at most limits.Open and keeps the calling thread's event loop turning.
//
// An RFC 2217 port is greeted (binary both ways, COM-PORT-OPTION, notification masks) and opens only once the server
// has agreed to the COM-PORT-OPTION (DO or WILL); it then takes its line settings, DTR and RTS (each change as the one
// command it needs), purges and break from the device calls; line-state and modem-state notifications become line
// errors and comm events. A raw TCP port only carries bytes: the settings are kept but not sent.
//
// The peer is read as fast as the receive worker takes the bytes; what waits beyond that stays in the socket, whose
// flow control holds the peer back. A connection the server closes or resets is a vanished device, and so is one
// whose peer has taken nothing of what waits to go out for limits.Stall.
//
// When the port cannot be opened the result holds an errno value: that of the connection attempt (ETIMEDOUT,
// ECONNREFUSED, EHOSTUNREACH for an unknown name, EINVAL for a malformed name), EPROTONOSUPPORT when an RFC 2217
// server refused the COM-PORT-OPTION, EPROTO when it did not agree in time (no telnet server at all, or a silent
// one), ECONNRESET when it closed the connection first.
TSerialOpenResult OpenNetworkSerialDevice(const std::string &portName, const TRemotePortLimits &limits = {});

// A device over an already connected stream socket (taken over and closed by the device): telnet with the
// COM-PORT-OPTION when `telnet` (greeted, its agreement not awaited), else raw bytes. For tests with a socket pair.
std::unique_ptr<TSerialDevice> MakeNetworkSerialDevice(
    int socketFd, bool telnet, std::chrono::milliseconds stall = RemoteStallTimeout);
