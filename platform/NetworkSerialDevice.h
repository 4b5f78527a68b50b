// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <string>

// Opens a remote port by its name ("rfc2217://host:port" or "tcp://host:port", see platform/RemotePortName.h) as a
// serial device. Connecting takes at most RemoteConnectTimeout and keeps the calling thread's event loop turning.
// An RFC 2217 port is greeted (binary both ways, COM-PORT-OPTION, notification masks) and takes its line settings,
// DTR and RTS, purges and break from the device calls; line-state and modem-state notifications become line errors
// and comm events. A raw TCP port only carries bytes: the settings are kept but not sent. A connection the server
// closes or resets is a vanished device. When the port cannot be reached the result holds the errno value of the
// attempt (ETIMEDOUT, ECONNREFUSED, EHOSTUNREACH for an unknown name, EINVAL for a malformed name).
TSerialOpenResult OpenNetworkSerialDevice(const std::string &portName);

// A device over an already connected stream socket (taken over and closed by the device): telnet with the
// COM-PORT-OPTION when `telnet`, else raw bytes. For tests with a socket pair.
std::unique_ptr<TSerialDevice> MakeNetworkSerialDevice(int socketFd, bool telnet);
