// SPDX-License-Identifier: GPL-3.0-or-later
// kelvara-demo-device: a virtual serial device for trying the program without hardware.
//
// It creates a pseudo-terminal, makes --link a symbolic link to the terminal's device, and plays a device on it that
// sends 75 samples a second, in bursts of 15 every 200 ms so that each burst arrives as one chunk. What a sample
// looks like depends on --format (tools/DemoSignal.h):
//   numbers (the default) - a sine wave of five-digit integers, one "12345" CR LF line a sample, and every few
//                           seconds a line of text
//   labelled              - lines of named values, "temp:23.5,hum:41.2,volt:3.31" CR LF, and the same lines of text
//   binary                - frames AA 55, three int16 samples little-endian, CRC-16/MODBUS of the payload
// It sends only while a program has the device open, and drops what that program sends to it.
//
// With --setfile it writes a settings file naming the link, unless that file exists and names another port (then the
// user's own settings stay as they are).
//
// Usage: kelvara-demo-device --link /tmp/kelvara-demo-tty [--setfile build/bin/setfile.ini]
//                            [--format numbers|labelled|binary]
//        kelvara-demo-device --help
// Runs until SIGINT or SIGTERM, then removes the link.
#include "platform/ProfileFile.h"
#include "tools/DemoSignal.h"
#include "tools/DevicePty.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr const char *Section = "\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD"; // the settings section's name in GBK
constexpr auto BurstInterval = std::chrono::milliseconds(200);

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int)
{
    Stop = 1;
}

constexpr const char *UsageLine
    = "usage: kelvara-demo-device --link PATH [--setfile PATH] [--format numbers|labelled|binary]\n";

void Usage()
{
    std::fputs(UsageLine, stderr);
}

void Help()
{
    std::fputs(UsageLine, stdout);
    std::fputs("A virtual serial device for trying Kelvara without hardware: a pseudo-terminal that sends samples\n"
               "while a program has it open (115200 baud, 8 data bits, no parity, 1 stop bit) and drops what it is\n"
               "sent. Runs until interrupted, then removes its link.\n"
               "\n"
               "  --link PATH     make PATH a symbolic link to the device, e.g. /tmp/kelvara-demo-tty\n"
               "  --setfile PATH  point this setfile.ini at the device, unless it names another port;\n"
               "                  an installed Kelvara reads ~/.config/kelvara/setfile.ini\n"
               "  --format WORD   numbers: a sine wave of integer lines and now and then a line of text (default)\n"
               "                  labelled: lines of named values, temp:23.5,hum:41.2,volt:3.31\n"
               "                  binary: frames AA 55, three int16 little-endian, CRC-16/MODBUS\n"
               "  --help          show this text\n",
        stdout);
}

bool ReadFile(const std::string &path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return true;
}

// Writes the settings file for the link, unless the user's file names another port.
void WriteSettings(const std::string &path, const std::string &link)
{
    std::string contents;
    if (ReadFile(path, contents)) {
        std::optional<std::string> port = FindProfileValue(contents, Section, "commname");
        if (!port || *port != link) {
            std::fprintf(stderr, "kelvara-demo-device: %s names another port; left as it is\n", path.c_str());
            return;
        }
    }
    std::string text = std::string("[") + Section + "]\r\n" + "commname=" + link
        + "\r\nbaudrate=115200\r\nbytesize=8\r\nparity=none\r\nparitycheck=0\r\nstopbits=1\r\n";
    std::string temporary = path + ".demo-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            std::fprintf(stderr, "kelvara-demo-device: cannot write %s\n", path.c_str());
            return;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        std::fprintf(stderr, "kelvara-demo-device: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
}

} // namespace

int main(int argc, char **argv)
{
    std::string link;
    std::string setfile;
    TDemoFormat format = TDemoFormat::Numbers;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help") {
            Help();
            return 0;
        }
        if (arg == "--link" && i + 1 < argc)
            link = argv[++i];
        else if (arg == "--setfile" && i + 1 < argc)
            setfile = argv[++i];
        else if (arg == "--format" && i + 1 < argc) {
            std::optional<TDemoFormat> chosen = DemoFormatOfWord(argv[++i]);
            if (!chosen) {
                Usage();
                return 2;
            }
            format = *chosen;
        } else {
            Usage();
            return 2;
        }
    }
    if (link.empty()) {
        Usage();
        return 2;
    }

    TDevicePty pty;
    std::string error;
    if (!pty.Open(error)) {
        std::fprintf(stderr, "kelvara-demo-device: %s\n", error.c_str());
        return 1;
    }

    // The link comes last: whoever waits for it may at once read the settings file and stop the device with a signal
    // (which must then remove the link).
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    struct stat info {
    };
    if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        std::fprintf(stderr, "kelvara-demo-device: %s exists and is not a link\n", link.c_str());
        return 1;
    }
    if (!setfile.empty())
        WriteSettings(setfile, link);
    if (!pty.Link(link, error)) {
        std::fprintf(stderr, "kelvara-demo-device: %s\n", error.c_str());
        return 1;
    }
    std::printf("kelvara-demo-device: %s -> %s\n", link.c_str(), pty.Device().c_str());
    std::fflush(stdout);

    long sample = 0;
    long burst = 0;
    auto next = std::chrono::steady_clock::now();
    while (!Stop) {
        next += BurstInterval;
        std::this_thread::sleep_until(next);
        if (!pty.DropInputAndListen())
            continue; // nobody listens
        std::string bytes = DemoBurst(format, sample, burst++);
        if (::write(pty.Master(), bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
            break;
    }
    return 0; // the link goes with the pseudo-terminal
}
