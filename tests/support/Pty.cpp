// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/Pty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

TPty::TPty(TMode mode)
{
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0)
        return;
    SlavePath = ::ptsname(FMaster);
    if (mode == Raw) {
        termios raw {};
        ::tcgetattr(FMaster, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(FMaster, TCSANOW, &raw);
    }
}

TPty::~TPty()
{
    CloseMaster();
}

void TPty::Write(const std::string &bytes) const
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(FMaster, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd item { FMaster, POLLOUT, 0 };
            ::poll(&item, 1, 10);
        } else {
            return;
        }
    }
}

std::string TPty::Read(std::size_t wanted, std::chrono::milliseconds quiet) const
{
    std::string bytes;
    while (bytes.size() < wanted) {
        pollfd item { FMaster, POLLIN, 0 };
        int ready = ::poll(&item, 1, static_cast<int>(quiet.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(item.revents & POLLIN))
            break;
        char buffer[4096];
        ssize_t n = ::read(FMaster, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string TPty::ReadWithin(std::size_t wanted, std::chrono::milliseconds limit) const
{
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < wanted && std::chrono::steady_clock::now() < deadline) {
        std::string more = Read(wanted - bytes.size(), std::chrono::milliseconds(50));
        if (more.empty()) {
            pollfd none {};
            ::poll(&none, 0, 10);
        }
        bytes += more;
    }
    return bytes;
}

void TPty::CloseMaster()
{
    if (FMaster >= 0)
        ::close(FMaster);
    FMaster = -1;
}
