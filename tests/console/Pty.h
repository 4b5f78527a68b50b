#pragma once

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal standing in for a serial device: the program opens SlavePath, the test plays the device on the
// master side.
class TPty
{
public:
    TPty()
    {
        FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster >= 0 && ::grantpt(FMaster) == 0 && ::unlockpt(FMaster) == 0) {
            SlavePath = ::ptsname(FMaster);
            termios raw {};
            ::tcgetattr(FMaster, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(FMaster, TCSANOW, &raw);
        }
    }
    ~TPty() { CloseMaster(); }
    TPty(const TPty &) = delete;
    TPty &operator=(const TPty &) = delete;

    // The device goes away: the program's side sees a hang-up.
    void CloseMaster()
    {
        if (FMaster >= 0)
            ::close(FMaster);
        FMaster = -1;
    }

    bool Valid() const { return FMaster >= 0 && !SlavePath.empty(); }
    int Master() const { return FMaster; }

    void Write(const std::string &bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(FMaster, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }

    // Reads what arrives within timeoutMs of the previous byte, up to `wanted` bytes.
    std::string Read(std::size_t wanted, int timeoutMs = 3000) const
    {
        std::string bytes;
        while (bytes.size() < wanted) {
            pollfd fd { FMaster, POLLIN, 0 };
            if (::poll(&fd, 1, timeoutMs) <= 0 || !(fd.revents & POLLIN))
                break;
            char buffer[4096];
            ssize_t n = ::read(FMaster, buffer, sizeof(buffer));
            if (n <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    std::string SlavePath;

private:
    int FMaster = -1;
};
