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
    if (std::optional<bool> claimed = AcquireLockFile(name))
        return *claimed;
    return AcquireSocket(name);
}

std::optional<bool> TSingleInstance::AcquireLockFile(const std::string &name)
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/')
        return std::nullopt;
    std::string desktop = DesktopName();
    std::replace(desktop.begin(), desktop.end(), '/', '_');
    std::string path = std::string(runtime) + "/" + name + (desktop.empty() ? "" : "-" + desktop) + ".lock";

    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::nullopt;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        FHandle = fd;
        return true;
    }
    int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return false;
    return std::nullopt;
}

bool TSingleInstance::AcquireSocket(const std::string &name)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true;

    // Abstract names start with a zero byte and are limited to the size of sun_path.
    std::string key = name + "/uid-" + std::to_string(::getuid()) + "/" + DesktopName();
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::size_t length = std::min(key.size(), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, key.data(), length);
    socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);

    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0) {
        FHandle = fd;
        return true;
    }
    int error = errno;
    ::close(fd);
    return error != EADDRINUSE;
}

void TSingleInstance::Release()
{
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
}
