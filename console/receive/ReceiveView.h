// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How a receive pane shows the received data. By default the text as received; with Hex every chunk is a line of
// its bytes in hex, zero bytes included; with Timestamps the first line of each chunk starts with the chunk's arrival
// time.
struct TReceiveView {
    bool Hex = false;
    bool Timestamps = false;

    bool Plain() const { return !Hex && !Timestamps; }
    bool operator==(const TReceiveView &) const = default;
};

// Upper-case hex pairs separated by single spaces: "41 42 0D 0A"; empty for no bytes.
std::string HexPairs(std::string_view bytes);

// "[hh:mm:ss.zzz] ": the local time of a moment given in milliseconds since the epoch.
std::string TimestampPrefix(int64_t msSinceEpoch);
