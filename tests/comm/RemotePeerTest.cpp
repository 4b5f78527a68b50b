// SPDX-License-Identifier: GPL-3.0-or-later
// Remote peers that are no serial server, or that push the program hard: servers that do not take up the
// COM-PORT-OPTION, one that floods option requests and never reads, and a peer that sends as fast as it can.
#include "CommTestSupport.h"
#include "LoopbackPeer.h"
#include "comm/SerialComm.h"
#include "platform/NetworkSerialDevice.h"
#include "platform/Rfc2217Codec.h"
#include "tests/support/ResidentMemory.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// Opens remote ports with short limits, so that the tests need not wait out the real ones.
TSerialDeviceFactory RemoteFactory(std::chrono::milliseconds open, std::chrono::milliseconds stall)
{
    return [=](const std::string &name) { return OpenNetworkSerialDevice(name, { open, stall }); };
}

// The byte at position `i` of a flood: every value, in an order that shows a lost or repeated piece.
char FloodByte(std::size_t i)
{
    return static_cast<char>((i * 7 + i / 4093) & 0xFF);
}

// Sends `total` flood bytes as fast as the connection takes them, then keeps it open until the test ends.
void Flood(int fd, const std::atomic<bool> &stop, std::size_t total, bool telnet)
{
    if (telnet && !SendAllOn(fd, "\xff\xfd\x2c", 3)) // DO COM-PORT-OPTION
        return;
    std::string chunk;
    for (std::size_t sent = 0; sent < total && !stop;) {
        chunk.clear();
        const std::size_t end = std::min(total, sent + 65536);
        for (std::size_t i = sent; i < end; ++i) {
            chunk += FloodByte(i);
            if (telnet && static_cast<unsigned char>(chunk.back()) == Telnet::Iac)
                chunk += chunk.back();
        }
        if (!SendAllOn(fd, chunk.data(), chunk.size()))
            return;
        sent = end;
    }
    while (!stop)
        std::this_thread::sleep_for(20ms);
}

// Counts what arrives and checks it against the flood, without keeping it.
struct TFloodCount {
    std::size_t Received = 0;
    std::size_t Wrong = 0;
    int Hangups = 0;

    explicit TFloodCount(TComm &comm)
    {
        comm.OnReceiveData = [this](TComm *, const char *buffer, uint16_t length) {
            for (uint16_t i = 0; i < length; ++i)
                Wrong += buffer[i] != FloodByte(Received + i);
            Received += length;
        };
        comm.OnRequestHangup = [this](TComm *) { ++Hangups; };
    }
};

} // namespace

// A server that does not take up the COM-PORT-OPTION would get the line commands as data for its device: the port
// does not open, and the reason tells which case it is.
TEST(RemotePeer, ServersThatDoNotTakeUpThePortOptionAreNotOpened)
{
    struct TRow {
        const char *Case;
        std::string Says; // sent on connecting, then the server only reads
        bool Closes;
        int Error;
    };
    const TRow rows[] = {
        { "a raw TCP port with a talking device", "U-Boot 2023.01\r\n=> ", false, EPROTO },
        { "a server that accepts and never answers", "", false, EPROTO },
        { "a telnet server that refuses the option", Bytes({ 255, 251, 1, 255, 254, 44 }), false, EPROTONOSUPPORT },
        { "a telnet server that will not offer it", Bytes({ 255, 252, 44 }), false, EPROTONOSUPPORT },
        { "a server that hangs up at once", "", true, ECONNRESET },
        { "a serial server", Bytes({ 255, 251, 3, 255, 253, 44 }) + "early", false, 0 },
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Case);
        std::string heard;
        TLoopbackPeer peer([&](int fd, const std::atomic<bool> &stop) {
            if (!SendAllOn(fd, row.Says.data(), row.Says.size()) || row.Closes) {
                ::shutdown(fd, SHUT_RDWR);
                return;
            }
            char buffer[4096];
            for (ssize_t n; !stop && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                heard.append(buffer, static_cast<std::size_t>(n));
        });
        TComm comm(nullptr, RemoteFactory(1500ms, RemoteStallTimeout));
        TEventLog log(comm);
        comm.SetCommName(peer.Name("rfc2217"));
        std::string failure;
        try {
            comm.OpenPort();
        } catch (const ECommsError &error) {
            failure = error.what();
        }
        EXPECT_EQ(comm.OpenError(), row.Error);
        if (row.Error != 0) {
            EXPECT_EQ(failure, "Error opening serial port");
            EXPECT_FALSE(comm.IsOpen());
        } else {
            EXPECT_TRUE(WaitUntil([&] { return log.Received == "early"; })) << "data before the answer is kept";
            comm.ClosePort();
        }
        peer.Stop();
        EXPECT_EQ(heard.find(Rfc2217SetBaudRate(comm.BaudRate())) != std::string::npos, row.Error == 0)
            << "the line set-up goes only to a server that agreed";
    }
}

// Each change of DTR or RTS is the one command it needs.
TEST(RemotePeer, ALineChangeSendsOneCommand)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const int server = ends[1];
    TComm comm(nullptr, [client = ends[0]](const std::string &) {
        return TSerialOpenResult { MakeNetworkSerialDevice(client, true), 0 };
    });
    comm.SetCommName("rfc2217://pair:1");
    comm.OpenPort();
    // Everything the server has been sent after `settle` of quiet.
    auto take = [&](std::chrono::milliseconds settle) {
        std::string seen;
        char buffer[4096];
        for (pollfd item { server, POLLIN, 0 }; ::poll(&item, 1, static_cast<int>(settle.count())) > 0;) {
            ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return seen;
    };
    ASSERT_NE(take(300ms).find(Rfc2217SetBaudRate(comm.BaudRate())), std::string::npos);

    using namespace ComPort;
    const std::pair<std::function<void()>, std::string> changes[] = {
        { [&] { comm.SetDtrControl(TDtrControl::DtrDisable); }, Rfc2217SetByte(SetControl, DtrOff) },
        { [&] { comm.SetDtrControl(TDtrControl::DtrEnable); }, Rfc2217SetByte(SetControl, DtrOn) },
        { [&] { comm.SetRtsControl(TRtsControl::RtsDisable); }, Rfc2217SetByte(SetControl, RtsOff) },
        { [&] { comm.SetBaudRate(57600); }, Rfc2217SetBaudRate(57600) },
    };
    for (const auto &[change, command] : changes) {
        change();
        EXPECT_EQ(take(200ms), command);
    }
    comm.ClosePort();
    ::close(server);
}

// A server that floods option requests and never reads: the answers do not pile up (each option is answered once,
// and what waits to go out is bounded), and a peer that takes nothing of what waits is a lost device.
TEST(RemotePeer, APeerThatFloodsRequestsAndNeverReadsIsLostWithMemoryBounded)
{
    TLoopbackPeer peer(
        [](int fd, const std::atomic<bool> &stop) {
            std::string requests = Bytes({ 255, 253, 44 });
            for (int round = 0; round < 64; ++round)
                for (int option = 0; option < 256; ++option)
                    requests += Bytes({ 255, round % 2 ? 251 : 253, option });
            while (!stop && SendAllOn(fd, requests.data(), requests.size())) { }
        },
        4096);
    TComm comm(nullptr, RemoteFactory(5s, 1s));
    TEventLog log(comm);
    comm.SetCommName(peer.Name("rfc2217"));
    comm.OpenPort();
    const long before = static_cast<long>(ResidentBytes());
    // What the program sends fills the socket's buffers, as the peer takes nothing.
    const std::string block(65535, 's');
    for (int i = 0; i < 128; ++i)
        ASSERT_TRUE(comm.SendData(block.data(), block.size()));
    constexpr long bound = 64L << 20;
    long grown = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            grown = std::max(grown, static_cast<long>(ResidentBytes()) - before);
            return log.Count("hangup") > 0 || (ResidentMemoryIsMeasurable() && grown > bound);
        },
        60s))
        << "the stalled peer is given up";
    EXPECT_GE(log.Count("hangup"), 1);
    if (ResidentMemoryIsMeasurable()) {
        EXPECT_LT(grown, bound) << "memory grew by " << grown;
    }
    comm.ClosePort();
    peer.Stop();
}

// A peer that sends as fast as it can is read as fast as the program takes it, however long the window stops
// dispatching: nothing is lost and the connection is never dropped by the program.
TEST(RemotePeer, AFastPeerIsReadWholeWhileTheWindowFallsBehind)
{
    constexpr std::size_t total = 100u << 20;
    TLoopbackPeer peer([](int fd, const std::atomic<bool> &stop) { Flood(fd, stop, total, false); });
    TComm comm;
    TFloodCount count(comm);
    comm.SetCommName(peer.Name("tcp"));
    comm.OpenPort();
    ASSERT_TRUE(WaitUntil([&] { return count.Received > 0; }));
    std::this_thread::sleep_for(3s); // the window stops dispatching meanwhile
    EXPECT_TRUE(WaitUntil([&] { return count.Received >= total || count.Hangups > 0; }, 300s));
    EXPECT_EQ(count.Received, total);
    EXPECT_EQ(count.Wrong, 0u);
    EXPECT_EQ(count.Hangups, 0);
    comm.ClosePort();
    peer.Stop();
}

// The same through the telnet stream, where every 0xFF comes doubled.
TEST(RemotePeer, AFastSerialServerIsReadWhole)
{
    constexpr std::size_t total = 24u << 20;
    TLoopbackPeer peer([](int fd, const std::atomic<bool> &stop) { Flood(fd, stop, total, true); });
    TComm comm;
    TFloodCount count(comm);
    comm.SetCommName(peer.Name("rfc2217"));
    comm.SetNotificationLimit(64);
    comm.OpenPort();
    ASSERT_TRUE(WaitUntil([&] { return count.Received > 0; }));
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(WaitUntil([&] { return count.Received >= total || count.Hangups > 0; }, 300s));
    EXPECT_EQ(count.Received, total);
    EXPECT_EQ(count.Wrong, 0u);
    EXPECT_EQ(count.Hangups, 0);
    comm.ClosePort();
    peer.Stop();
}
