// pty_line_feed: a steady device on a pseudo-terminal for the program CPU benchmark. It makes --link a symbolic link
// to the terminal's device and, while a program has the device open, writes integer lines ("12345" CR LF, seven bytes)
// at --rate bytes a second, in a small write every 2 ms as a serial line at that rate would deliver them. With rate 0
// it only holds the device, so that a program can open it and find nothing arriving. Runs until SIGTERM or SIGINT.
//
// Usage: pty_line_feed --link PATH --rate BYTES_PER_SECOND
#include "tools/DevicePty.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
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
    TDevicePty pty;
    std::string error;
    if (!pty.Open(error) || !pty.Link(link, error)) {
        std::fprintf(stderr, "pty_line_feed: %s\n", error.c_str());
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
