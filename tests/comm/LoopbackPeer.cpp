// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TLoopbackPeer::TLoopbackPeer(TServe serve, int receiveBuffer)
{
    FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) // inherited by the accepted connection, and must be set before it is made
        ::setsockopt(FListen, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(FListen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(FListen, 1) != 0
        || ::getsockname(FListen, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return;
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this, serve = std::move(serve)] {
        while (!FStop) {
            pollfd item { FListen, POLLIN, 0 };
            if (::poll(&item, 1, 50) <= 0)
                continue;
            int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            FConnection = fd;
            if (!FStop)
                serve(fd, FStop);
            return;
        }
    });
}

TLoopbackPeer::~TLoopbackPeer()
{
    Stop();
    if (FConnection >= 0)
        ::close(FConnection);
    if (FListen >= 0)
        ::close(FListen);
}

std::string TLoopbackPeer::Name(const std::string &scheme) const
{
    return scheme + "://127.0.0.1:" + std::to_string(FPort);
}

void TLoopbackPeer::Stop()
{
    FStop = true;
    if (int fd = FConnection; fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
    if (FThread.joinable())
        FThread.join();
}

bool SendAllOn(int fd, const char *bytes, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
