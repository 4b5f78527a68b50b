// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkConnect.h"

#include <QCoreApplication>
#include <QThread>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

using TClock = std::chrono::steady_clock;

// Shared by the caller and the connecting thread, which may outlive the caller's wait (a name lookup cannot be
// interrupted); the thread then closes what it connected too late.
struct TAttempt {
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    bool Abandoned = false;
    TConnectResult Result;
};

int ConnectOne(const addrinfo &address, TClock::time_point deadline, int &fd)
{
    fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0)
        return errno;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
        int error = errno;
        ::close(fd);
        return error;
    }
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - TClock::now()).count();
        if (left <= 0) {
            ::close(fd);
            return ETIMEDOUT;
        }
        pollfd item { fd, POLLOUT, 0 };
        int polled = ::poll(&item, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            continue;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            error = errno;
        if (error != 0) {
            ::close(fd);
            return error;
        }
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return 0;
    }
}

TConnectResult Connect(const std::string &host, uint16_t port, TClock::time_point deadline)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
        return { -1, EHOSTUNREACH };
    TConnectResult result { -1, EHOSTUNREACH };
    for (addrinfo *address = found; address; address = address->ai_next) {
        int fd = -1;
        result.Error = ConnectOne(*address, deadline, fd);
        if (result.Error == 0) {
            result.Fd = fd;
            break;
        }
        if (result.Error == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(found);
    return result;
}

} // namespace

TConnectResult ConnectTcp(const std::string &host, uint16_t port, std::chrono::milliseconds timeout)
{
    const TClock::time_point deadline = TClock::now() + timeout;
    auto attempt = std::make_shared<TAttempt>();
    std::thread([attempt, host, port, deadline] {
        TConnectResult result = Connect(host, port, deadline);
        std::lock_guard lock(attempt->Lock);
        if (attempt->Abandoned && result.Fd >= 0)
            ::close(result.Fd);
        attempt->Result = result;
        attempt->Done = true;
        attempt->Finished.notify_all();
    }).detach();

    QCoreApplication *application = QCoreApplication::instance();
    const bool mainThread = application && QThread::currentThread() == application->thread();
    std::unique_lock lock(attempt->Lock);
    while (!attempt->Done && TClock::now() < deadline) {
        if (mainThread) {
            lock.unlock();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
            lock.lock();
            attempt->Finished.wait_for(lock, std::chrono::milliseconds(10));
        } else {
            attempt->Finished.wait_until(lock, deadline);
        }
    }
    if (!attempt->Done) {
        attempt->Abandoned = true;
        return { -1, ETIMEDOUT };
    }
    return attempt->Result;
}
