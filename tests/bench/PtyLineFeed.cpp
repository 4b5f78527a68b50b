// pty_line_feed: a steady device on a pseudo-terminal for the program CPU benchmark. It makes --link a symbolic link
// to the terminal's device and, while a program has the device open, writes integer lines ("12345" CR LF, seven bytes)
// at --rate bytes a second, in a small write every 2 ms as a serial line at that rate would deliver them. With rate 0
// it only holds the device, so that a program can open it and find nothing arriving. Runs until SIGTERM or SIGINT.
//
// Usage: pty_line_feed --link PATH --rate BYTES_PER_SECOND
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int)
{
    Stop = 1;
}

} // namespace

int main(int argc, char **argv)
{
    std::string link;
    double rate = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--link")
            link = argv[i + 1];
        else if (option == "--rate")
            rate = std::atof(argv[i + 1]);
    }
    if (link.empty()) {
        std::fprintf(stderr, "usage: pty_line_feed --link PATH --rate BYTES_PER_SECOND\n");
        return 2;
    }
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "pty_line_feed: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string device = ::ptsname(master);
    termios raw {};
    ::tcgetattr(master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    // Open and close the device once: from then on the master reports a hang-up whenever nobody has it open.
    int slave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0)
        ::close(slave);
    ::unlink(link.c_str());
    if (::symlink(device.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "pty_line_feed: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    const std::string line = "12345\r\n";
    const auto step = std::chrono::milliseconds(2);
    double owed = 0; // bytes due but not yet written
    std::string bytes;
    auto next = std::chrono::steady_clock::now();
    while (!Stop) {
        next += step;
        std::this_thread::sleep_until(next);
        pollfd fd { master, POLLIN, 0 };
        ::poll(&fd, 1, 0);
        char discard[4096];
        while (::read(master, discard, sizeof(discard)) > 0) { }
        if ((fd.revents & POLLHUP) || rate <= 0) {
            owed = 0;
            continue; // nobody listens, or nothing to say
        }
        owed += rate * std::chrono::duration<double>(step).count();
        bytes.clear();
        while (owed >= static_cast<double>(line.size())) {
            bytes += line;
            owed -= static_cast<double>(line.size());
        }
        if (!bytes.empty() && ::write(master, bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
            break;
    }
    char target[4096];
    ssize_t n = ::readlink(link.c_str(), target, sizeof(target) - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == device)
        ::unlink(link.c_str());
    ::close(master);
    return 0;
}
