// SPDX-License-Identifier: GPL-3.0-or-later
// pty_line_feed: a steady device on a pseudo-terminal for the program CPU benchmark. It makes --link a symbolic link
// to the terminal's device and, while a program has the device open, writes integer lines ("12345" CR LF, seven bytes)
// at --rate bytes a second, in a small write every 2 ms as a serial line at that rate would deliver them. With rate 0
// it only holds the device, so that a program can open it and find nothing arriving. With --megabytes it floods
// instead: once a program listens and SIGUSR1 has arrived it writes that many MiB of five-digit integer lines (10000,
// 10001, ... 99999, then 10000 again) as fast as the terminal takes them, printing "start SECONDS" and "end SECONDS"
// (CLOCK_REALTIME) on standard output around the writing. Runs until SIGTERM or SIGINT.
//
// Usage: pty_line_feed --link PATH (--rate BYTES_PER_SECOND | --megabytes MIB)
#include "tools/DevicePty.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{

volatile std::sig_atomic_t Stop = 0;
volatile std::sig_atomic_t Go = 0;

void OnSignal(int)
{
    Stop = 1;
}

void OnGo(int)
{
    Go = 1;
}

double Now()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Writes `megabytes` MiB of integer lines to the master as fast as the terminal drains; false when the device went.
bool Flood(int master, double megabytes)
{
    std::string bytes;
    const std::size_t total = static_cast<std::size_t>(megabytes * 1024 * 1024);
    bytes.reserve(total + 8);
    for (int value = 10000; bytes.size() < total; value = value == 99999 ? 10000 : value + 1)
        bytes += std::to_string(value) + "\r\n";
    bytes.resize(total);
    std::printf("start %.6f\n", Now());
    std::fflush(stdout);
    std::size_t done = 0;
    while (done < total && !Stop) {
        const ssize_t written = ::write(master, bytes.data() + done, total - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd wait { master, POLLOUT, 0 };
        ::poll(&wait, 1, 100);
    }
    std::printf("end %.6f\n", Now());
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::string link;
    double rate = 0;
    double megabytes = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--link")
            link = argv[i + 1];
        else if (option == "--rate")
            rate = std::atof(argv[i + 1]);
        else if (option == "--megabytes")
            megabytes = std::atof(argv[i + 1]);
    }
    if (link.empty()) {
        std::fprintf(stderr, "usage: pty_line_feed --link PATH (--rate BYTES_PER_SECOND | --megabytes MIB)\n");
        return 2;
    }
    TDevicePty pty;
    std::string error;
    if (!pty.Open(error) || !pty.Link(link, error)) {
        std::fprintf(stderr, "pty_line_feed: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGUSR1, OnGo);

    const std::string line = "12345\r\n";
    const auto step = std::chrono::milliseconds(2);
    double owed = 0; // bytes due but not yet written
    std::string bytes;
    auto next = std::chrono::steady_clock::now();
    while (!Stop) {
        next += step;
        std::this_thread::sleep_until(next);
        if (megabytes > 0 && Go && pty.DropInputAndListen()) {
            if (!Flood(pty.Master(), megabytes))
                break;
            megabytes = 0; // once; then hold the device quietly
            continue;
        }
        if (!pty.DropInputAndListen() || rate <= 0) {
            owed = 0;
            continue; // nobody listens, or nothing to say
        }
        owed += rate * std::chrono::duration<double>(step).count();
        bytes.clear();
        while (owed >= static_cast<double>(line.size())) {
            bytes += line;
            owed -= static_cast<double>(line.size());
        }
        if (!bytes.empty() && ::write(pty.Master(), bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
            break;
    }
    return 0; // the link goes with the pseudo-terminal
}
