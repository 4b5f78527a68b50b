// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/DevicePty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

TDevicePty::~TDevicePty()
{
    if (!FLink.empty()) {
        char target[4096];
        ssize_t n = ::readlink(FLink.c_str(), target, sizeof(target) - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == FDevice)
            ::unlink(FLink.c_str());
    }
    if (FMaster >= 0)
        ::close(FMaster);
}

bool TDevicePty::Open(std::string &error)
{
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    FDevice = ::ptsname(FMaster);
    termios raw {};
    ::tcgetattr(FMaster, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(FMaster, TCSANOW, &raw);
    // Open and close the device once: from then on the master reports a hang-up whenever no program has it open.
    int slave = ::open(FDevice.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0)
        ::close(slave);
    return true;
}

bool TDevicePty::Link(const std::string &link, std::string &error)
{
    struct stat info {
    };
    if (::lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = link + " exists and is not a link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(FDevice.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + std::strerror(errno);
        return false;
    }
    FLink = link;
    return true;
}

bool TDevicePty::DropInputAndListen()
{
    pollfd fd { FMaster, POLLIN, 0 };
    if (::poll(&fd, 1, 0) < 0)
        return false;
    char discard[4096];
    while (::read(FMaster, discard, sizeof(discard)) > 0) { }
    return !(fd.revents & POLLHUP);
}
