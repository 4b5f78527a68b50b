// SPDX-License-Identifier: GPL-3.0-or-later
// instrument_frame_rate_bench: whether the chart's instruments slow the main chart down. A device sends two-channel
// lines ("sin,cos", a 5 Hz sine and cosine of amplitude 100) at a steady rate through a pseudo-terminal into the real
// main window in multi-channel mode, twice, each time into a fresh window: first with the instruments off, then with
// all four on (the trigger on 数据1 at level 0, rising, "正常"; "测量"; the window "XY 图" with 数据1 against 数据2;
// the window "频谱" of 数据1), switched on from the chart's data view menu as a user would, except the trigger, which
// is set on the chart directly so that nothing is written to the settings file beside the program.
//
// After one second of warm-up (when the instruments are switched on) each run measures, for the given seconds: the
// frames the chart paints per second (paint events of the chart widget), how far the newest point lags behind now
// (sampled every 20 ms, as chart_lag_bench does), how long the event loop takes to answer, and the program's CPU time.
// Prints one line per run and the ratio of the frame rates (on / off).
//
// Usage: instrument_frame_rate_bench [--rate LINES_PER_SECOND] [--seconds N]   (default 10 000 lines a second, 10 s)
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotTrigger.h"
#include "comm/SerialComm.h"
#include "console/instruments/MeasurementForm.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/XYForm.h"
#include "console/plotfeed/PlotFeed.h"
#include "tests/bench/BenchSupport.h"
#include "tests/bench/ConsoleBench.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr double SignalHz = 5;
constexpr double Amplitude = 100;
constexpr int WarmUpMs = 1000;

// Line `n` of the stream at `rate` lines a second: the sine and the cosine at the line's time.
std::string Line(long n, long rate)
{
    const double phase = 2 * std::numbers::pi * SignalHz * double(n) / double(rate);
    char line[64];
    const int length
        = std::snprintf(line, sizeof line, "%.3f,%.3f\r\n", Amplitude * std::sin(phase), Amplitude * std::cos(phase));
    return std::string(line, std::size_t(length));
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
            burst += Line(sent, rate);
        if (!WriteAll(master, burst.data(), burst.size()))
            _exit(1);
    }
    _exit(0);
}

// Counts the paint events a widget receives.
class TPaintCounter : public QObject
{
public:
    long Paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

struct TRunFigures {
    bool Ok = false;
    double FramesPerSecond = 0;
    double CpuShare = 0; // CPU time of the whole program over the measured seconds (1 = one core busy)
    std::vector<double> LagsMs;
    std::vector<double> AnswersMs;
    long Plotted = 0;
    long Lines = 0;
    std::string Instruments; // what was on, as checked after the run
};

// Chooses the data view menu's item `caption` on `plot`, as a click on it would.
bool ChooseMenuItem(TPlot &plot, const QString &caption)
{
    for (const TPlotMenuItem &item : plot.OnDataViewMenuItems())
        if (item.Caption == caption) {
            plot.OnHostMenuCommand(item);
            return true;
        }
    std::fprintf(stderr, "no menu item %s\n", caption.toUtf8().constData());
    return false;
}

// All four instruments on, while the data flows (so that 数据2 exists to be chosen).
bool SwitchInstrumentsOn(TMainForm &form)
{
    TPlot &plot = *form.Plot1;
    TPlotTriggerSettings trigger;
    trigger.Enabled = true;
    trigger.Source = 0;
    trigger.Level = 0;
    trigger.Edge = TTriggerEdge::Rising;
    trigger.Mode = TTriggerMode::Normal;
    plot.Trigger().SetSettings(trigger);
    if (!ChooseMenuItem(plot, QStringLiteral("测量")) || !ChooseMenuItem(plot, QStringLiteral("XY 图…"))
        || !ChooseMenuItem(plot, QStringLiteral("频谱…")))
        return false;
    RunEventLoopFor(50); // the menu acts once it has closed
    auto *xy = form.findChild<TXYForm *>();
    auto *spectrum = form.findChild<TSpectrumForm *>();
    if (!xy || !spectrum)
        return false;
    xy->XChannel()->setCurrentText(QStringLiteral("数据1"));
    xy->YChannel()->setCurrentText(QStringLiteral("数据2"));
    spectrum->Channel()->setCurrentText(QStringLiteral("数据1"));
    return true;
}

// What is on after a run, read back from the chart and the windows.
std::string InstrumentsInForce(TMainForm &form)
{
    const TPlotTriggerSettings &trigger = form.Plot1->Trigger().Settings();
    auto *measurements = form.findChild<TMeasurementForm *>();
    auto *xy = form.findChild<TXYForm *>();
    auto *spectrum = form.findChild<TSpectrumForm *>();
    std::string on;
    if (trigger.Enabled)
        on += std::string("trigger ") + (form.Plot1->Trigger().Hold().Shown() ? "holding a view" : "never fired");
    if (measurements && measurements->isVisible())
        on += (on.empty() ? "" : ", ") + std::to_string(measurements->RowCount()) + " measurement rows";
    if (xy && xy->isVisible())
        on += (on.empty() ? "" : ", ")
            + ("XY " + xy->XChannel()->currentText() + "/" + xy->YChannel()->currentText()).toStdString() + " ("
            + std::to_string(xy->Plot().Channel(0)->Count()) + " pairs)";
    if (spectrum && spectrum->isVisible())
        on += (on.empty() ? "" : ", ")
            + ("spectrum of " + spectrum->Channel()->currentText() + ", " + spectrum->Peak()->text()).toStdString();
    return on.empty() ? "none" : on;
}

TRunFigures Run(bool instruments, long rate, double seconds)
{
    TRunFigures figures;
    TBenchConsole console;
    TMainForm &form = console.Form;
    TPlotChannel &channel = *form.Plot1->Channel(0);
    form.PlotFeed().SetMultiChannel(true);
    form.Plot1->Trigger().SetSettings({}); // whatever the settings file beside the program says
    if (!console.ShowAndOpen())
        return figures;
    RunEventLoopFor(300);

    const double runSeconds = WarmUpMs / 1000.0 + seconds;
    figures.Lines = static_cast<long>(rate * runSeconds);
    std::size_t totalBytes = 0;
    for (long n = 0; n < figures.Lines; ++n)
        totalBytes += Line(n, rate).size();

    TPaintCounter paints;
    form.Plot1->installEventFilter(&paints);
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (channel.Count() > 0)
            figures.LagsMs.push_back((channel.ElapsedSeconds() - channel.X(channel.Count() - 1)) * 1000);
    });

    const long before = channel.AddedCount();
    pid_t writer = fork();
    if (writer == 0)
        Write(console.Pty.Master(), rate, runSeconds);
    RunEventLoopFor(WarmUpMs / 2);
    bool switched = !instruments || SwitchInstrumentsOn(form);
    RunEventLoopFor(WarmUpMs / 2);

    // The measured seconds.
    TLoopAnswer answers;
    const long paintsBefore = paints.Paints;
    const auto start = Clock::now();
    const double cpuBefore = ProcessCpuSeconds();
    sampler.start(20);
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0)
        RunEventLoopFor(5);
    sampler.stop();
    const double measuredSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.FramesPerSecond = double(paints.Paints - paintsBefore) / measuredSeconds;
    figures.CpuShare = (ProcessCpuSeconds() - cpuBefore) / measuredSeconds;
    answers.Stop();
    figures.AnswersMs = answers.DelaysMs;

    // Until every line has been received and taken by the feed (or 10 s), so that the count below is complete.
    const auto writerDone = Clock::now();
    while ((console.Received < totalBytes || form.PlotFeed().HasWork())
        && Clock::now() - writerDone < std::chrono::seconds(10))
        RunEventLoopFor(1);
    figures.Instruments = InstrumentsInForce(form);
    form.Plot1->removeEventFilter(&paints);
    form.Comm1->ClosePort();
    figures.Plotted = channel.AddedCount() - before;
    figures.Ok = switched && console.Received == totalBytes && !form.PlotFeed().HasWork() && WIFEXITED(status)
        && WEXITSTATUS(status) == 0;
    return figures;
}

void Print(const char *name, const TRunFigures &figures, long rate, double seconds)
{
    std::printf("instruments %-3s: %6ld lines/s for %.0f s: chart %5.1f frames/s; CPU %3.0f %%; chart lag median %6.1f "
                "ms, p99 %6.1f "
                "ms, worst %6.1f ms; loop answer median %5.1f ms, p99 %6.1f ms, worst %6.1f ms; %ld of %ld lines "
                "plotted; on: %s%s\n",
        name, rate, seconds, figures.FramesPerSecond, figures.CpuShare * 100, Percentile(figures.LagsMs, 0.5),
        Percentile(figures.LagsMs, 0.99), Percentile(figures.LagsMs, 1.0), Percentile(figures.AnswersMs, 0.5),
        Percentile(figures.AnswersMs, 0.99), Percentile(figures.AnswersMs, 1.0), figures.Plotted, figures.Lines,
        figures.Instruments.c_str(), figures.Ok ? "" : " (FAILED: lines lost or the instruments did not come on)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    long rate = 10000;
    double seconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--rate")
            rate = std::atol(value.c_str());
        else if (option == "--seconds")
            seconds = std::atof(value.c_str());
    }

    QApplication app(argc, argv);
    const TRunFigures off = Run(false, rate, seconds);
    Print("off", off, rate, seconds);
    const TRunFigures on = Run(true, rate, seconds);
    Print("on", on, rate, seconds);
    std::printf("frame rate with all four on / off: %.2f\n",
        off.FramesPerSecond > 0 ? on.FramesPerSecond / off.FramesPerSecond : 0.0);
    return off.Ok && on.Ok ? 0 : 1;
}
