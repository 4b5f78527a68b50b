#include "platform/SingleInstance.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
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
        FSocket = fd;
        return true;
    }
    int error = errno;
    ::close(fd);
    return error != EADDRINUSE;
}

void TSingleInstance::Release()
{
    if (FSocket >= 0) {
        ::close(FSocket);
        FSocket = -1;
    }
}
