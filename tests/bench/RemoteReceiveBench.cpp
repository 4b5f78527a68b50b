// SPDX-License-Identifier: GPL-3.0-or-later
// Reception from a remote port: ser2net on loopback serves a pty (RFC 2217 or raw TCP), a writer thread feeds the
// pty's master, and the serial component receives through the network device into OnReceiveData, where every byte
// is checked against what was sent. The data holds every byte value, 0xFF (escaped on the wire) included. Reports
// MB/s (10^6 bytes) and CPU seconds per MB spent by the program's side (the whole process minus the writer thread;
// ser2net is a process of its own). The paced runs feed the remote port and a local pty at the same rate, so that
// their CPU per MB can be set side by side.
#include "comm/SerialComm.h"
#include "tests/bench/BenchSupport.h"
#include "tests/support/Pty.h"
#include "tests/support/Ser2Net.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{

using TClock = std::chrono::steady_clock;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "remote_receive_bench";
    static char *argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives for the whole run
}

double ThreadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// 1 MB of bytes of every value, in a fixed pseudo-random order.
std::string AnyBytes()
{
    std::mt19937 random(2217);
    std::string data(1000000, '\0');
    for (char &c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

// Writes `total` bytes of data, repeated, into the master, at most `rate` bytes a second (0: as fast as it goes).
// Returns the CPU seconds the writer used.
double FeedMaster(int master, const std::string &data, std::size_t total, double rate, const std::atomic<bool> &stop)
{
    std::size_t sent = 0;
    const TClock::time_point start = TClock::now();
    while (sent < total && !stop) {
        std::size_t allowed = total;
        if (rate > 0) {
            allowed = static_cast<std::size_t>(std::chrono::duration<double>(TClock::now() - start).count() * rate);
            if (allowed <= sent) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
        }
        pollfd item { master, POLLOUT, 0 };
        if (poll(&item, 1, 100) <= 0 || !(item.revents & POLLOUT))
            continue;
        std::size_t offset = sent % data.size();
        std::size_t size = std::min({ data.size() - offset, total - sent, allowed - sent, std::size_t(65536) });
        ssize_t n = write(master, data.data() + offset, size);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
    }
    return ThreadCpuSeconds();
}

enum TPath { LocalPty, Rfc2217, RawTcp };

// One run: `megabytes` MB through the path at `rate` MB/s (0: flood).
void Receive(benchmark::State &state, TPath path, double rate)
{
    EnsureApplication();
    const std::size_t total = static_cast<std::size_t>(state.range(0)) * 1000000;
    const std::string data = AnyBytes();
    double seconds = 0, componentCpu = 0;
    std::size_t received = 0, mismatched = 0;

    for (auto _ : state) {
        TPty pty(TPty::Raw);
        fcntl(pty.Master(), F_SETFL, fcntl(pty.Master(), F_GETFL) | O_NONBLOCK);
        TSer2Net server(pty.SlavePath, path == RawTcp ? TSer2Net::RawTcp : TSer2Net::Rfc2217);
        if (path != LocalPty && !server.Start()) {
            state.SkipWithError("ser2net did not start (Debian package ser2net)");
            return;
        }
        TComm comm;
        comm.SetCommName(path == LocalPty ? pty.SlavePath : server.PortName());
        comm.SetOutx_XonXoffFlow(false); // every byte value is data
        comm.SetInx_XonXoffFlow(false);
        comm.SetBaudRate(921600);
        std::size_t got = 0;
        QEventLoop loop;
        comm.OnReceiveData = [&](TComm *, const char *buffer, uint16_t length) {
            std::size_t offset = got % data.size();
            std::size_t first = std::min<std::size_t>(length, data.size() - offset);
            if (std::memcmp(buffer, data.data() + offset, first) != 0
                || std::memcmp(buffer + first, data.data(), length - first) != 0)
                ++mismatched;
            got += length;
            if (got >= total)
                loop.quit();
        };
        comm.OpenPort();
        // The server purges its line when the settings arrive; bytes fed before that would be lost.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));

        std::atomic<bool> stop { false };
        double writerCpu = 0;
        double cpuBefore = ProcessCpuSeconds();
        auto start = TClock::now();
        std::thread writer([&] { writerCpu = FeedMaster(pty.Master(), data, total, rate * 1e6, stop); });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit); // only if something is lost
        loop.exec();
        auto end = TClock::now();
        stop = true;
        writer.join();
        double cpuAfter = ProcessCpuSeconds();
        comm.ClosePort();
        QCoreApplication::processEvents();

        seconds += std::chrono::duration<double>(end - start).count();
        componentCpu += cpuAfter - cpuBefore - writerCpu;
        received += got;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }

    double megabytes = received / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(received));
    state.counters["MB_per_s"] = megabytes / seconds;
    state.counters["cpu_s_per_MB"] = componentCpu / megabytes;
    state.counters["lost_bytes"] = static_cast<double>(total * state.iterations()) - static_cast<double>(received);
    state.counters["bad_chunks"] = static_cast<double>(mismatched);
}

void BM_FloodThroughSer2NetRfc2217(benchmark::State &state)
{
    Receive(state, Rfc2217, 0);
}
void BM_FloodThroughSer2NetRawTcp(benchmark::State &state)
{
    Receive(state, RawTcp, 0);
}
void BM_Paced20MBsLocalPty(benchmark::State &state)
{
    Receive(state, LocalPty, 20);
}
void BM_Paced20MBsSer2NetRfc2217(benchmark::State &state)
{
    Receive(state, Rfc2217, 20);
}

BENCHMARK(BM_FloodThroughSer2NetRfc2217)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodThroughSer2NetRawTcp)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paced20MBsLocalPty)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paced20MBsSer2NetRfc2217)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
