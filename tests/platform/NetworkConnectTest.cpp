// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkConnect.h"

#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{

// A loopback listener that never accepts; its port number.
struct TListener {
    int Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    uint16_t Port = 0;

    explicit TListener(int backlog)
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(Fd, reinterpret_cast<sockaddr *>(&address), size) == 0 && ::listen(Fd, backlog) == 0
            && ::getsockname(Fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
            Port = ntohs(address.sin_port);
    }
    ~TListener() { ::close(Fd); }
};

} // namespace

TEST(NetworkConnect, ConnectsOrSaysWhyNot)
{
    TListener listener(4);
    ASSERT_NE(listener.Port, 0);
    TConnectResult connected = ConnectTcp("127.0.0.1", listener.Port);
    EXPECT_GE(connected.Fd, 0);
    EXPECT_EQ(connected.Error, 0);
    ::close(connected.Fd);

    uint16_t freePort = listener.Port;
    {
        TListener closed(1);
        freePort = closed.Port;
    }
    TConnectResult refused = ConnectTcp("127.0.0.1", freePort);
    EXPECT_EQ(refused.Fd, -1);
    EXPECT_EQ(refused.Error, ECONNREFUSED);
}

TEST(NetworkConnect, AConnectionThatHangsTimesOutWhileTheEventLoopTurns)
{
    // A full backlog: the kernel drops further connection requests, so a connect waits for an answer that never
    // comes.
    TListener listener(0);
    ASSERT_NE(listener.Port, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(listener.Port);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        fillers.push_back(fd);
    }

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    TConnectResult result = ConnectTcp("127.0.0.1", listener.Port, std::chrono::milliseconds(300));
    EXPECT_EQ(result.Fd, -1);
    EXPECT_EQ(result.Error, ETIMEDOUT);
    EXPECT_GE(ticks, 5) << "the window's timers ran while connecting";
    for (int fd : fillers)
        ::close(fd);
}
