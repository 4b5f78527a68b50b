// SPDX-License-Identifier: GPL-3.0-or-later
// chart_lag_bench: a device sending integer lines at a steady rate through a pseudo-terminal into the real main window
// (serial component, both receive panes, PlotQueue, plot feed onto the chart). While the lines arrive it samples, every
// 20 ms, how far the chart is behind: the newest point's time against now, both in seconds since program start. It
// also measures how long the event loop takes to answer (an event posted from another thread every 5 ms), and after
// the last line how long until every line is on the chart. Prints one line of figures; chart_lag_bench.sh runs it for
// 1000, 10 000 and 100 000 lines a second.
//
// With --format labelled the lines hold four labelled values ("a:12.5,b:-3,c:7,d:1000"), read in multi-channel mode;
// with --format binary the device sends binary frames of eight int16 channels (header AA 55, CRC-16/MODBUS) and the
// rate counts frames.
//
// Usage: chart_lag_bench --rate LINES_PER_SECOND [--seconds N] [--format integer|labelled|binary]
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/plotfeed/PlotFeed.h"
#include "console/plotfeed/PlotQueue.h"
#include "decoders/Checksum.h"
#include "tests/bench/BenchSupport.h"
#include "tests/bench/ConsoleBench.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

enum class TFormat { Integer, Labelled, Binary };

constexpr int FrameChannels = 8;

// Item `n` of the stream as the device sends it.
std::string Item(TFormat format, long n)
{
    const long value = 10000 + (n * 7919) % 90000;
    switch (format) {
    case TFormat::Integer:
        return std::to_string(value) + "\r\n";
    case TFormat::Labelled:
        return "a:" + std::to_string(value) + ".5,b:" + std::to_string(n % 100 - 50)
            + ",c:7,d:" + std::to_string(n % 1000) + "\r\n";
    case TFormat::Binary: {
        std::string frame("\xAA\x55", 2);
        std::string payload;
        for (int k = 0; k < FrameChannels; ++k) {
            const uint16_t sample = uint16_t(value + k * 100);
            payload += char(sample & 0xFF);
            payload += char(sample >> 8);
        }
        const uint32_t crc = ComputeChecksum(TChecksumKind::Crc16Modbus, payload);
        return frame + payload + char(crc & 0xFF) + char((crc >> 8) & 0xFF);
    }
    }
    return {};
}

// Writes `rate` items a second for `seconds` into the pty master, one burst each millisecond on absolute deadlines.
[[noreturn]] void Write(int master, TFormat format, long rate, double seconds)
{
    const long total = static_cast<long>(rate * seconds);
    timespec next {};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long sent = 0;
    for (long ms = 1; sent < total; ++ms) {
        next.tv_nsec += 1000000;
        if (next.tv_nsec >= 1000000000) {
            next.tv_nsec -= 1000000000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        const long due = std::min(total, rate * ms / 1000);
        std::string burst;
        for (; sent < due; ++sent)
            burst += Item(format, sent);
        if (!WriteAll(master, burst.data(), burst.size()))
            _exit(1);
    }
    _exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    long rate = 1000;
    double seconds = 5;
    TFormat format = TFormat::Integer;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--rate")
            rate = std::atol(value.c_str());
        else if (option == "--seconds")
            seconds = std::atof(value.c_str());
        else if (option == "--format")
            format = value == "labelled" ? TFormat::Labelled : value == "binary" ? TFormat::Binary : TFormat::Integer;
    }
    const long total = static_cast<long>(rate * seconds);

    QApplication app(argc, argv);
    TBenchConsole console;
    TMainForm &form = console.Form;
    TPlotChannel &channel = *form.Plot1->Channel(0);
    if (format == TFormat::Labelled)
        form.PlotFeed().SetMultiChannel(true);
    if (format == TFormat::Binary) {
        TFrameFormat frames;
        frames.Header = "\xAA\x55";
        frames.Channels = FrameChannels;
        frames.Checksum = TChecksumKind::Crc16Modbus;
        form.PlotFeed().SetBinaryFrames(frames);
    }
    if (!console.ShowAndOpen())
        return 1;
    RunEventLoopFor(300);

    TLoopAnswer answers;

    // The lag of the newest point, sampled on the user-interface thread while lines arrive.
    std::vector<double> lagsMs;
    std::size_t worstBacklog = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        worstBacklog = std::max(worstBacklog, form.Memo3.Size());
        if (channel.Count() > 0)
            lagsMs.push_back((channel.ElapsedSeconds() - channel.X(channel.Count() - 1)) * 1000);
    });

    std::size_t totalBytes = 0;
    for (long n = 0; n < total; ++n)
        totalBytes += Item(format, n).size();

    const long before = channel.AddedCount();
    pid_t writer = fork();
    if (writer == 0)
        Write(console.Pty.Master(), format, rate, seconds);
    sampler.start(20);
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0)
        RunEventLoopFor(5);
    const auto writerDone = Clock::now();
    sampler.stop();
    // After the last line: until every line has been received and taken by the feed (or 10 s).
    while ((console.Received < totalBytes || form.PlotFeed().HasWork())
        && Clock::now() - writerDone < std::chrono::seconds(10))
        RunEventLoopFor(1);
    const double catchUpMs = std::chrono::duration<double, std::milli>(Clock::now() - writerDone).count();
    answers.Stop();
    form.Comm1->ClosePort();

    const long plotted = channel.AddedCount() - before;
    const char *formatName = format == TFormat::Labelled ? "labelled"
        : format == TFormat::Binary                      ? "binary"
                                                         : "integer";
    std::printf(
        "%s: %6ld lines/s for %.0f s: chart lag median %6.1f ms, p99 %6.1f ms, worst %6.1f ms; every line "
        "taken %6.1f ms after the last was written (%ld points for %ld lines); loop answer median %5.1f ms, p99 %6.1f "
        "ms, worst %6.1f ms; PlotQueue backlog at most %.1f KB\n",
        formatName, rate, seconds, Percentile(lagsMs, 0.5), Percentile(lagsMs, 0.99), Percentile(lagsMs, 1.0),
        catchUpMs, plotted, total, Percentile(answers.DelaysMs, 0.5), Percentile(answers.DelaysMs, 0.99),
        Percentile(answers.DelaysMs, 1.0), worstBacklog / 1e3);
    return console.Received == totalBytes && !form.PlotFeed().HasWork() && WIFEXITED(status) && WEXITSTATUS(status) == 0
        ? 0
        : 1;
}
