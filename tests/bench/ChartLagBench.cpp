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
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "console/PlotQueue.h"
#include "console/ReceivedChunk.h"
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
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

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
        for (std::size_t done = 0; done < burst.size();) {
            ssize_t n = ::write(master, burst.data() + done, burst.size() - done);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                _exit(1);
            }
            done += static_cast<std::size_t>(n);
        }
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
    TMainForm form;
    TForm7 floating;
    form.SetWindows({ .Form7 = &floating });
    form.show();
    form.SpeedButton1Click(); // the main receive pane on screen too
    floating.show();
    TComm &comm = *form.Comm1;
    TPlotChannel &channel = *form.Plot1->Channel(0);

    TPty pty(TPty::Raw);
    if (!pty.Valid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    const int master = pty.Master();
    comm.SetCommName(pty.SlavePath);
    comm.SetBaudRate(115200);
    comm.OpenPort();

    auto runFor = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runFor(300);

    TPingSink pings;
    std::atomic<bool> pinging { true };
    std::thread pinger([&] {
        while (pinging) {
            QCoreApplication::postEvent(&pings, new TPing(Clock::now()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

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
    std::size_t received = 0;
    TReceiveDataEvent takeIn = comm.OnReceiveData;
    comm.OnReceiveData = [&](TComm *sender, const char *buffer, uint16_t length) {
        received += ReceivedChunkText(buffer, length).size();
        takeIn(sender, buffer, length);
    };

    const long before = channel.AddedCount();
    pid_t writer = fork();
    if (writer == 0)
        Write(master, rate, seconds);
    sampler.start(20);
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0)
        runFor(5);
    const auto writerDone = Clock::now();
    sampler.stop();
    // After the last line: until every line has been received and taken by the feed (or 10 s).
    while ((received < totalBytes || !form.Memo3.Empty()) && Clock::now() - writerDone < std::chrono::seconds(10))
        runFor(1);
    const double catchUpMs = std::chrono::duration<double, std::milli>(Clock::now() - writerDone).count();
    pinging = false;
    pinger.join();
    comm.ClosePort();

    const long plotted = channel.AddedCount() - before;
    std::printf(
        "%6ld lines/s for %.0f s: chart lag median %6.1f ms, p99 %6.1f ms, worst %6.1f ms; every line "
        "taken %6.1f ms after the last was written (%ld points for %ld lines); loop answer median %5.1f ms, p99 %6.1f "
        "ms, worst %6.1f ms; PlotQueue backlog at most %.1f KB\n",
        rate, seconds, Percentile(lagsMs, 0.5), Percentile(lagsMs, 0.99), Percentile(lagsMs, 1.0), catchUpMs, plotted,
        total, Percentile(pings.DelaysMs, 0.5), Percentile(pings.DelaysMs, 0.99), Percentile(pings.DelaysMs, 1.0),
        worstBacklog / 1e3);
    return received == totalBytes && form.Memo3.Empty() && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
