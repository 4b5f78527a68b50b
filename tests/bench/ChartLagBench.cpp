// SPDX-License-Identifier: GPL-3.0-or-later
// chart_lag_bench: a device sending integer lines at a steady rate through a pseudo-terminal into the real main window
// (serial component, both receive panes, PlotQueue, plot feed onto the chart). While the lines arrive it samples, every
// 20 ms, how far the chart is behind: the newest point's time against now, both in seconds since program start. It
// also measures how long the event loop takes to answer (an event posted from another thread every 5 ms), and after
// the last line how long until every line is on the chart. Prints one line of figures; chart_lag_bench.sh runs it for
// 1000, 10 000 and 100 000 lines a second.
//
// Usage: chart_lag_bench --rate LINES_PER_SECOND [--seconds N]
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/plotfeed/PlotQueue.h"
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

// Writes `rate` lines a second for `seconds` into the pty master, one burst each millisecond on absolute deadlines.
[[noreturn]] void Write(int master, long rate, double seconds)
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
            burst += std::to_string(10000 + (sent * 7919) % 90000) + "\r\n";
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
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--rate")
            rate = std::atol(argv[i + 1]);
        else if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
    }
    const long total = static_cast<long>(rate * seconds);

    QApplication app(argc, argv);
    TBenchConsole console;
    TMainForm &form = console.Form;
    TPlotChannel &channel = *form.Plot1->Channel(0);
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

    // Every line is seven bytes. The receive thread's chunks may cut a line in two; the pieces become two short lines
    // that the feed drops, so fewer points than lines are plotted, but every line is taken.
    const std::size_t totalBytes = static_cast<std::size_t>(total) * 7;

    const long before = channel.AddedCount();
    pid_t writer = fork();
    if (writer == 0)
        Write(console.Pty.Master(), rate, seconds);
    sampler.start(20);
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0)
        RunEventLoopFor(5);
    const auto writerDone = Clock::now();
    sampler.stop();
    // After the last line: until every line has been received and taken by the feed (or 10 s).
    while (
        (console.Received < totalBytes || !form.Memo3.Empty()) && Clock::now() - writerDone < std::chrono::seconds(10))
        RunEventLoopFor(1);
    const double catchUpMs = std::chrono::duration<double, std::milli>(Clock::now() - writerDone).count();
    answers.Stop();
    form.Comm1->ClosePort();

    const long plotted = channel.AddedCount() - before;
    std::printf(
        "%6ld lines/s for %.0f s: chart lag median %6.1f ms, p99 %6.1f ms, worst %6.1f ms; every line "
        "taken %6.1f ms after the last was written (%ld points for %ld lines); loop answer median %5.1f ms, p99 %6.1f "
        "ms, worst %6.1f ms; PlotQueue backlog at most %.1f KB\n",
        rate, seconds, Percentile(lagsMs, 0.5), Percentile(lagsMs, 0.99), Percentile(lagsMs, 1.0), catchUpMs, plotted,
        total, Percentile(answers.DelaysMs, 0.5), Percentile(answers.DelaysMs, 0.99), Percentile(answers.DelaysMs, 1.0),
        worstBacklog / 1e3);
    return console.Received == totalBytes && form.Memo3.Empty() && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0
                                                                                                                 : 1;
}
