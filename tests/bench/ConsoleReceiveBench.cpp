// SPDX-License-Identifier: GPL-3.0-or-later
// console_receive_bench: floods a pseudo-terminal with lines and takes them in with the real main window: its serial
// component (receive thread, notification window) reading the pty, each chunk appended as a line to the shared receive
// log shown by the main window's receive pane (data panel unfolded) and the floating window's, and to the PlotQueue,
// and the plot feed's 10 ms step taking one line from the PlotQueue onto the chart. Prints one line of figures;
// tests/bench/console_receive_bench.sh runs it for each size and kind of line.
//
// Usage: console_receive_bench --megabytes N --lines integer|text [--view text|hex|stamps|hexstamps] [--capture FILE]
// With --capture the received bytes are also captured to FILE, and the figures end with how many bytes it holds.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/ConsoleOptions.h"
#include "console/plotfeed/PlotQueue.h"
#include "console/receive/ReceivePane.h"
#include "core/AnsiText.h"
#include "tests/bench/BenchSupport.h"
#include "tests/bench/ConsoleBench.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

// Writes `total` bytes of lines into the pty master, as fast as the reading side takes them.
[[noreturn]] void Write(int master, std::size_t total, bool integers)
{
    std::string pattern;
    if (integers) {
        for (int i = 0; i < 10000; ++i)
            pattern += std::to_string(10000 + (i * 7919) % 90000) + "\r\n"; // seven bytes a line
    } else {
        std::string line = Utf8ToAnsi("Kelvara 接收测试 the quick brown fox 0123456789\r\n");
        for (int i = 0; i < 2000; ++i)
            pattern += line;
    }
    for (std::size_t written = 0; written < total;) {
        std::size_t count = std::min(pattern.size(), total - written);
        if (!WriteAll(master, pattern.data(), count))
            _exit(1);
        written += count;
    }
    _exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    double megabytes = 10;
    bool integers = true;
    TReceiveView view;
    std::string capturePath;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--megabytes")
            megabytes = std::atof(argv[i + 1]);
        else if (option == "--lines")
            integers = std::string(argv[i + 1]) != "text";
        else if (option == "--capture")
            capturePath = argv[i + 1];
        else if (option == "--view")
            view = { .Hex = std::string(argv[i + 1]).find("hex") != std::string::npos,
                .Timestamps = std::string(argv[i + 1]).find("stamps") != std::string::npos };
    }
    const std::size_t bytes = static_cast<std::size_t>(megabytes * 1e6);

    QApplication app(argc, argv);
    TBenchConsole console;
    TMainForm &form = console.Form;
    TConsoleOptions options;
    options.View = view;
    form.SetOptions(options);
    if (!capturePath.empty()) {
        form.SetCaptureChooser([&](const std::string &) { return capturePath; });
        form.ToggleCapture();
    }
    std::size_t total = 0;
    QEventLoop flood;
    console.AfterChunk = [&] {
        if (total > 0 && console.Received >= total)
            flood.quit();
    };
    if (!console.ShowAndOpen())
        return 1;
    RunEventLoopFor(500);

    // Idle: the port open, nothing arriving, the plot feed ticking.
    double cpuIdleStart = ProcessCpuSeconds();
    auto idleStart = Clock::now();
    RunEventLoopFor(3000);
    double idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    double idleCpu = (ProcessCpuSeconds() - cpuIdleStart) / idleSeconds * 100;

    const long rssBefore = ResidentBytes();
    TLoopAnswer answers;

    total = bytes;
    const double cpuStart = ProcessCpuSeconds();
    const auto start = Clock::now();
    pid_t writer = fork();
    if (writer == 0)
        Write(console.Pty.Master(), total, integers);
    QTimer::singleShot(600000, &flood, &QEventLoop::quit);
    flood.exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    answers.Stop();
    RunEventLoopFor(200); // the panes catch up
    const long rssAfter = ResidentBytes();
    waitpid(writer, nullptr, 0);

    // Taking a line off the PlotQueue with the backlog left by the flood, and with a short one.
    auto takeCost = [](TPlotQueue &queue, int lines) {
        auto t0 = Clock::now();
        for (int i = 0; i < lines; ++i)
            queue.RemoveFirstLine();
        return std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / lines;
    };
    // The window's own feed stops first, so that only this loop takes lines.
    form.Timer3->stop();
    const long plotted = form.Plot1->Channel(0)->AddedCount();
    const std::size_t backlog = form.Memo3.Size();
    const double takeLong = takeCost(form.Memo3, 10000);
    TPlotQueue shortQueue;
    for (int i = 0; i < 20000; ++i)
        shortQueue.AppendChunk(integers ? "12345\r\n" : "Kelvara the quick brown fox 0123456789\r\n");
    const double takeShort = takeCost(shortQueue, 10000);

    form.Comm1->ClosePort();
    const std::size_t received = console.Received;
    std::printf("%-7s %5.0f MB  taken in %6.2f s (%5.2f MB/s)  cpu %6.2f s  loop answer median %5.1f ms, "
                "p99 %6.1f ms, worst %6.1f ms  memory %4.2f B per byte  idle cpu %4.2f %%  "
                "PlotQueue take %4.0f ns (backlog %.0f MB) vs %4.0f ns (short)  worst chunk %.1f ms (%.0f bytes a "
                "chunk)  panes refreshed %d times  points plotted %ld\n",
        integers ? "integer" : "text", megabytes, seconds, megabytes / seconds, cpu, Percentile(answers.DelaysMs, 0.5),
        Percentile(answers.DelaysMs, 0.99), Percentile(answers.DelaysMs, 1.0),
        static_cast<double>(rssAfter - rssBefore) / static_cast<double>(total), idleCpu, takeLong, backlog / 1e6,
        takeShort, console.WorstChunkMs, console.Chunks ? static_cast<double>(received) / console.Chunks : 0.0,
        form.Memo1->RefreshCount(), plotted);
    if (form.Capture().Active()) {
        form.ToggleCapture();
        std::ifstream captured(capturePath, std::ios::binary | std::ios::ate);
        const auto size = static_cast<long long>(captured.tellg());
        std::printf("capture %lld of %zu bytes%s\n", size, total, size == static_cast<long long>(total) ? "" : " LOST");
    }
    if (received < total) {
        std::fprintf(stderr, "only %zu of %zu bytes arrived\n", received, total);
        return 1;
    }
    return 0;
}
