// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommTestSupport.h"
#include "comm/SerialComm.h"
#include "platform/NetworkSerialDevice.h"
#include "platform/Rfc2217Codec.h"
#include "tests/support/Ser2Net.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>

namespace
{

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// Every byte value, `rounds` times over.
std::string AllByteValues(int rounds)
{
    std::string out;
    for (int r = 0; r < rounds; ++r)
        for (int v = 0; v < 256; ++v)
            out += static_cast<char>(v);
    return out;
}

// Reads from a socket until `wanted` is among what came, or nothing came for a while.
std::string ReadUntilContains(int fd, const std::string &wanted, std::string &seen)
{
    while (seen.find(wanted) == std::string::npos) {
        pollfd item { fd, POLLIN, 0 };
        if (::poll(&item, 1, 3000) <= 0)
            break;
        char buffer[4096];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        seen.append(buffer, static_cast<size_t>(n));
    }
    return seen;
}

void SendAll(int fd, const std::string &bytes)
{
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

speed_t LineSpeed(const TPty &pty)
{
    termios line {};
    ::tcgetattr(pty.Master(), &line); // a pty master reports its slave's settings
    return cfgetospeed(&line);
}

std::string OpenFailure(TComm &comm)
{
    try {
        comm.OpenPort();
    } catch (const ECommsError &error) {
        return error.what();
    }
    return "(opened)";
}

} // namespace

// The test plays the serial server on the other end of a socket pair.
TEST(RemotePort, TelnetDeviceSpeaksThePortOptionAndRaisesTheLineEvents)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const int server = ends[1];
    TComm comm(nullptr, [client = ends[0]](const std::string &) {
        return TSerialOpenResult { MakeNetworkSerialDevice(client, true), 0 };
    });
    TEventLog log(comm);
    comm.SetCommName("rfc2217://pair:1");
    comm.SetBaudRate(115200);
    comm.OpenPort();

    std::string seen;
    ReadUntilContains(server, Rfc2217SetBaudRate(115200), seen);
    EXPECT_EQ(seen.rfind(Rfc2217Greeting(), 0), 0u) << "the greeting comes first";
    EXPECT_NE(seen.find(Rfc2217NotificationMasks()), std::string::npos);
    EXPECT_NE(seen.find(Rfc2217SetBaudRate(115200)), std::string::npos);

    // Data with an escaped 0xFF, a line-state notification (framing) split from its end, and after the first modem
    // report (how the lines are) a second one (ring ended, carrier on).
    SendAll(server, Bytes({ 255, 250, 44, 107, 0x00, 255, 240 }));
    SendAll(server, Bytes({ 'a', 255, 255, 'b', 255, 250, 44, 106, 0x08 }));
    SendAll(server, Bytes({ 255, 240, 'c', 255, 250, 44, 107, 0x8C, 255, 240, 'd' }));
    EXPECT_TRUE(WaitUntil([&] { return log.Received == Bytes({ 'a', 255, 'b', 'c', 'd' }); })) << log.Received;
    EXPECT_TRUE(WaitUntil([&] { return log.Count("error:" + std::to_string(CeFrame)) == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return log.Count("modem:12") == 1; }));

    seen.clear();
    ASSERT_TRUE(comm.SendData("x\xffy", 3));
    ReadUntilContains(server, "x\xff\xffy", seen);
    EXPECT_NE(seen.find("x\xff\xffy"), std::string::npos);

    ::close(server);
    EXPECT_TRUE(WaitUntil([&] { return log.Count("hangup") == 1; })) << "a closed connection is a lost device";
    comm.ClosePort();
}

TEST(RemotePort, RawTcpDeviceCarriesBytesUntouched)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const int server = ends[1];
    TComm comm(nullptr, [client = ends[0]](const std::string &) {
        return TSerialOpenResult { MakeNetworkSerialDevice(client, false), 0 };
    });
    TEventLog log(comm);
    comm.SetCommName("tcp://pair:1");
    comm.OpenPort();
    const std::string everything = AllByteValues(1);
    SendAll(server, everything);
    EXPECT_TRUE(WaitUntil([&] { return log.Received == everything; }));
    ASSERT_TRUE(comm.SendData(everything.data(), everything.size()));
    std::string seen;
    ReadUntilContains(server, everything, seen);
    EXPECT_EQ(seen, everything) << "no greeting, no settings, no escaping";
    comm.ClosePort();
    ::close(server);
}

class RemotePortSer2Net : public ::testing::TestWithParam<TSer2Net::TProtocol>
{
protected:
    void SetUp() override
    {
        if (!TSer2Net::Available())
            GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
        ASSERT_TRUE(Pty.Valid());
        ASSERT_TRUE(Server.Start()) << "ser2net did not start";
        Comm.SetCommName(Server.PortName());
        // Every byte value passes, so X-on/X-off must not act on the line.
        Comm.SetOutx_XonXoffFlow(false);
        Comm.SetInx_XonXoffFlow(false);
    }

    // Opens the port and waits until the server has the device open and has taken the settings (it purges the line
    // when they come): a byte sent after them has reached the device.
    void OpenAndSettle()
    {
        Comm.OpenPort();
        ASSERT_TRUE(Comm.SendData("!", 1));
        ASSERT_EQ(Pty.ReadWithin(1, 5s), "!");
    }

    TPty Pty { TPty::Raw };
    TSer2Net Server { Pty.SlavePath, GetParam() };
    TComm Comm;
    TEventLog Log { Comm };
};

TEST_P(RemotePortSer2Net, BytesTravelBothWaysExactly)
{
    OpenAndSettle();
    const std::string everything = AllByteValues(64);
    ASSERT_TRUE(Comm.SendData(everything.data(), everything.size()));
    EXPECT_TRUE(Pty.Read(everything.size()) == everything) << "sent bytes arrive exactly";

    Pty.Write(everything);
    EXPECT_TRUE(WaitUntil([&] { return Log.Received.size() >= everything.size(); })) << Log.Received.size();
    EXPECT_TRUE(Log.Received == everything) << "received bytes arrive exactly";
    // The server reports the lines when the connection opens; no line changed.
    EXPECT_EQ(Log.Count("modem:8") + Log.Count("modem:4") + Log.Count("modem:12"), 0);
    Comm.ClosePort();
}

TEST_P(RemotePortSer2Net, StoppingTheServerLosesTheDeviceAndItsReturnReopens)
{
    OpenAndSettle();
    Pty.Write("before");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received == "before"; }));

    Server.Stop();
    EXPECT_TRUE(WaitUntil([&] { return Log.Count("hangup") == 1; }));
    Comm.ClosePort();
    EXPECT_EQ(OpenFailure(Comm), "Error opening serial port");
    EXPECT_EQ(Comm.OpenError(), ECONNREFUSED);

    ASSERT_TRUE(Server.Start());
    OpenAndSettle();
    Pty.Write("after");
    EXPECT_TRUE(WaitUntil([&] { return Log.Received == "beforeafter"; }));
    Comm.ClosePort();
}

INSTANTIATE_TEST_SUITE_P(Protocols, RemotePortSer2Net, ::testing::Values(TSer2Net::Rfc2217, TSer2Net::RawTcp),
    [](const auto &info) { return info.param == TSer2Net::Rfc2217 ? "Rfc2217" : "RawTcp"; });

TEST(RemotePortRfc2217, ChosenSpeedReachesTheServersLine)
{
    if (!TSer2Net::Available())
        GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
    TPty pty(TPty::Raw);
    TSer2Net server(pty.SlavePath, TSer2Net::Rfc2217);
    ASSERT_TRUE(server.Start());
    TComm comm;
    comm.SetCommName(server.PortName());
    comm.SetBaudRate(57600);
    comm.OpenPort();
    EXPECT_TRUE(WaitUntil([&] { return LineSpeed(pty) == B57600; })) << LineSpeed(pty);
    comm.SetBaudRate(19200);
    EXPECT_TRUE(WaitUntil([&] { return LineSpeed(pty) == B19200; })) << "a change while open goes out at once";
    comm.ClosePort();
}
