// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RemotePortName.h"

#include "platform/SerialPortName.h"

#include <gtest/gtest.h>

TEST(RemotePortName, ParsesBothSchemesAndRejectsMalformedNames)
{
    using N = TRemotePortName;
    struct TRow {
        const char *Name;
        std::optional<N> Want;
    };
    const TRow rows[] = {
        { "rfc2217://192.168.1.20:4001", N { N::Rfc2217, "192.168.1.20", 4001 } },
        { "RFC2217://server.lan:7000/", N { N::Rfc2217, "server.lan", 7000 } },
        { "tcp://localhost:23", N { N::RawTcp, "localhost", 23 } },
        { "tcp://[::1]:4000", N { N::RawTcp, "::1", 4000 } },
        { "tcp://host", std::nullopt },
        { "tcp://:4000", std::nullopt },
        { "tcp://host:0", std::nullopt },
        { "tcp://host:65536", std::nullopt },
        { "tcp://host:40a0", std::nullopt },
        { "tcp://::1:4000", std::nullopt },
        { "tcp://[::1]4000", std::nullopt },
        { "/dev/ttyUSB0", std::nullopt },
        { "COM3", std::nullopt },
    };
    for (const TRow &row : rows)
        EXPECT_EQ(ParseRemotePortName(row.Name), row.Want) << row.Name;
    EXPECT_TRUE(IsRemotePortName("Tcp://x"));
    EXPECT_FALSE(IsRemotePortName("/dev/tcp"));
    // Remote names pass through the device path mapping unchanged, so the failure box names the host.
    EXPECT_EQ(SerialDevicePath("rfc2217://box:4001"), "rfc2217://box:4001");
}
