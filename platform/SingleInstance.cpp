// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// The abstract socket address of the claim: a zero byte, then the name, the user id and the desktop, cut to the size
// of sun_path.
struct TClaimAddress {
    sockaddr_un Address {};
    socklen_t Size = 0;

    explicit TClaimAddress(const std::string &name)
    {
        std::string key = name + "/uid-" + std::to_string(::getuid()) + "/" + TSingleInstance::DesktopName();
        Address.sun_family = AF_UNIX;
        std::size_t length = std::min(key.size(), sizeof(Address.sun_path) - 1);
        std::memcpy(Address.sun_path + 1, key.data(), length);
        Size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    }
    const sockaddr *Raw() const { return reinterpret_cast<const sockaddr *>(&Address); }
};

void CloseHandle(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

TSingleInstance::~TSingleInstance()
{
    Release();
}

std::string TSingleInstance::DesktopName()
{
    if (const char *x = std::getenv("DISPLAY"); x && *x) {
        std::string display = x;
        std::size_t colon = display.rfind(':');
        std::size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos)
            display.erase(dot);
        return display;
    }
    if (const char *wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland)
        return std::string("wayland:") + wayland;
    return {};
}

bool TSingleInstance::Acquire(const std::string &name)
{
    Release();
    if (AcquireSocket(name) && AcquireLockFile(name))
        return true;
    Release();
    return false;
}

bool TSingleInstance::AcquireSocket(const std::string &name)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;
    TClaimAddress address(name);
    if (::bind(fd, address.Raw(), address.Size) == 0) {
        // Connections wait in the backlog until the program reads them, however early a new start comes.
        ::listen(fd, 16);
        FSocket = fd;
        return true;
    }
    int error = errno;
    ::close(fd);
    return error != EADDRINUSE;
}

bool TSingleInstance::AcquireLockFile(const std::string &name)
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return true;
    std::string desktop = DesktopName();
    std::replace(desktop.begin(), desktop.end(), '/', '_');
    std::string path = std::string(runtime) + "/" + name + (desktop.empty() ? "" : "-" + desktop) + ".lock";

    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        FLockFile = fd;
        return true;
    }
    int error = errno;
    ::close(fd);
    return error != EWOULDBLOCK;
}

void TSingleInstance::Release()
{
    CloseHandle(FSocket);
    CloseHandle(FLockFile);
}

bool TSingleInstance::TakeShowRequests()
{
    bool wanted = false;
    for (;;) {
        int connection = ::accept4(FSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return wanted;
        }
        // Any user can reach an abstract socket; only this user's own starts may raise the window.
        ucred peer {};
        socklen_t size = sizeof peer;
        if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid())
            wanted = true;
        ::close(connection);
    }
}

bool TSingleInstance::AskToShow(const std::string &name)
{
    // The connection itself is the request. Non-blocking, so that a running copy that does not read its requests
    // (stuck, or full) never holds up the new start.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    TClaimAddress address(name);
    bool reached = ::connect(fd, address.Raw(), address.Size) == 0;
    ::close(fd);
    return reached;
}
