// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A port on another machine, named "rfc2217://host:port" (a serial server that takes the line settings) or
// "tcp://host:port" (a plain byte stream, no settings sent). The scheme is matched in any letter case; an IPv6 host is
// written in brackets ("tcp://[::1]:4000").
struct TRemotePortName {
    enum TKind { Rfc2217, RawTcp };
    TKind Kind = Rfc2217;
    std::string Host;
    uint16_t Port = 0;

    bool operator==(const TRemotePortName &) const = default;
};

// Whether a port name asks for a remote port at all (it starts with one of the two schemes).
bool IsRemotePortName(std::string_view portName);

// The parts of a remote port name; none when it is not one or is malformed (no host, a port outside 1 to 65535).
std::optional<TRemotePortName> ParseRemotePortName(std::string_view portName);
