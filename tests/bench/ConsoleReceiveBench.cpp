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
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "console/PlotQueue.h"
#include "console/ReceivePane.h"
#include "console/ReceivedChunk.h"
#include "core/AnsiText.h"
#include "tests/support/Pty.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long RssBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// An event posted from another thread every few milliseconds; the delay until the user-interface thread handles it
// is how long a user's input would wait.
class TPing : public QEvent
{
public:
    static const QEvent::Type Kind;
    explicit TPing(Clock::time_point sent)
        : QEvent(Kind)
        , Sent(sent)
    {
    }
    Clock::time_point Sent;
};
const QEvent::Type TPing::Kind = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPingSink : public QObject
{
public:
    std::vector<double> DelaysMs;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() == TPing::Kind) {
            auto sent = static_cast<TPing *>(event)->Sent;
            DelaysMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
    }
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * (values.size() - 1) + 0.5))];
}

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
    std::size_t written = 0;
    while (written < total) {
        std::size_t count = std::min(pattern.size(), total - written);
        ssize_t n = ::write(master, pattern.data(), count);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            _exit(1);
        }
        written += static_cast<std::size_t>(n);
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
    TMainForm form;
    TForm7 floating;
    form.SetWindows({ .Form7 = &floating });
    TConsoleOptions options;
    options.View = view;
    form.SetOptions(options);
    if (!capturePath.empty()) {
        form.SetCaptureChooser([&](const std::string &) { return capturePath; });
        form.ToggleCapture();
    }
    form.show();
    form.SpeedButton1Click(); // unfold the data panel: the main receive pane on screen
    floating.show();

    std::size_t received = 0;
    std::size_t total = 0;
    QEventLoop flood;
    std::size_t chunks = 0;
    double worstChunkMs = 0;
    TComm &comm = *form.Comm1;
    TReceiveDataEvent takeIn = comm.OnReceiveData;
    comm.OnReceiveData = [&](TComm *sender, const char *buffer, uint16_t length) {
        auto t0 = Clock::now();
        received += ReceivedChunkText(buffer, length).size();
        ++chunks;
        takeIn(sender, buffer, length);
        if (total > 0 && received >= total)
            flood.quit();
        worstChunkMs = std::max(worstChunkMs, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    };

    TPty pty(TPty::Raw);
    if (!pty.Valid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    const int master = pty.Master();
    comm.SetCommName(pty.SlavePath);
    comm.SetBaudRate(115200);
    comm.OpenPort();

    auto runFor = [&](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runFor(500);

    // Idle: the port open, nothing arriving, the plot feed ticking.
    double cpuIdleStart = CpuSeconds();
    auto idleStart = Clock::now();
    runFor(3000);
    double idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    double idleCpu = (CpuSeconds() - cpuIdleStart) / idleSeconds * 100;

    const long rssBefore = RssBytes();
    TPingSink pings;
    std::atomic<bool> pinging { true };
    std::thread pinger([&] {
        while (pinging) {
            QCoreApplication::postEvent(&pings, new TPing(Clock::now()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    total = bytes;
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    pid_t writer = fork();
    if (writer == 0)
        Write(master, total, integers);
    QTimer::singleShot(600000, &flood, &QEventLoop::quit);
    flood.exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    pinging = false;
    pinger.join();
    runFor(200); // the panes catch up
    const long rssAfter = RssBytes();
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

    comm.ClosePort();
    std::printf("%-7s %5.0f MB  taken in %6.2f s (%5.2f MB/s)  cpu %6.2f s  loop answer median %5.1f ms, "
                "p99 %6.1f ms, worst %6.1f ms  memory %4.2f B per byte  idle cpu %4.2f %%  "
                "PlotQueue take %4.0f ns (backlog %.0f MB) vs %4.0f ns (short)  worst chunk %.1f ms (%.0f bytes a "
                "chunk)  panes refreshed %d times  points plotted %ld\n",
        integers ? "integer" : "text", megabytes, seconds, megabytes / seconds, cpu, Percentile(pings.DelaysMs, 0.5),
        Percentile(pings.DelaysMs, 0.99), Percentile(pings.DelaysMs, 1.0),
        static_cast<double>(rssAfter - rssBefore) / static_cast<double>(total), idleCpu, takeLong, backlog / 1e6,
        takeShort, worstChunkMs, chunks ? static_cast<double>(received) / chunks : 0.0, form.Memo1->RefreshCount(),
        plotted);
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
