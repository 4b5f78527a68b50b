// SPDX-License-Identifier: GPL-3.0-or-later
// Reception throughput: a writer thread feeds line data into a pty's master as fast as the pty takes it; the
// component reads the slave and raises OnReceiveData on this (the user-interface) thread, where every byte is
// checked against what was sent. Reports MB/s (10^6 bytes) and CPU seconds per MB spent by the component's side
// (the whole process minus the writer thread).
#include "comm/SerialComm.h"
#include "tests/bench/BenchSupport.h"
#include "tests/support/Pty.h"

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
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "receive_bench";
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

// About 1 MB of decimal lines, CR LF separated: what a device that prints numbers sends.
std::string LineData()
{
    std::string data;
    for (int i = 0; data.size() < 1000000; ++i)
        data += std::to_string(i * 7919 % 100000) + "\r\n";
    return data;
}

// A pty whose master never blocks: the feeder polls it for room and for flow-control bytes to discard.
struct TPtyPair {
    TPty Pty;
    int Master = Pty.Master();
    std::string SlavePath = Pty.SlavePath;

    TPtyPair()
    {
        if (!Pty.Valid() || fcntl(Master, F_SETFL, fcntl(Master, F_GETFL) | O_NONBLOCK) != 0)
            throw std::runtime_error("no pty");
    }
};

// Writes `total` bytes of data, repeated, into the master; discards what the slave side sends back (flow control
// characters). Returns the CPU seconds the writer used.
double FeedMaster(int master, const std::string &data, std::size_t total, const std::atomic<bool> &stop)
{
    std::size_t sent = 0;
    char discard[4096];
    while (sent < total && !stop) {
        pollfd item { master, POLLOUT | POLLIN, 0 };
        if (poll(&item, 1, 100) <= 0)
            continue;
        if (item.revents & POLLIN)
            while (read(master, discard, sizeof discard) > 0) { }
        if (item.revents & POLLOUT) {
            std::size_t offset = sent % data.size();
            std::size_t size = std::min(data.size() - offset, total - sent);
            ssize_t n = write(master, data.data() + offset, size);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
        }
    }
    return ThreadCpuSeconds();
}

void BM_ReceiveThroughPty(benchmark::State &state)
{
    EnsureApplication();
    const std::size_t total = static_cast<std::size_t>(state.range(0)) * 1000000;
    const std::string data = LineData();
    double seconds = 0, componentCpu = 0;
    std::size_t received = 0, mismatched = 0, chunks = 0;

    for (auto _ : state) {
        TPtyPair pty;
        TComm comm;
        comm.SetCommName(pty.SlavePath);
        std::size_t got = 0;
        comm.OnReceiveData = [&](TComm *, const char *buffer, uint16_t length) {
            std::size_t offset = got % data.size();
            std::size_t first = std::min<std::size_t>(length, data.size() - offset);
            if (std::memcmp(buffer, data.data() + offset, first) != 0
                || std::memcmp(buffer + first, data.data(), length - first) != 0)
                ++mismatched;
            got += length;
            ++chunks;
        };
        QEventLoop loop;
        comm.OnReceiveData = [&, check = comm.OnReceiveData](TComm *sender, const char *buffer, uint16_t length) {
            check(sender, buffer, length);
            if (got >= total)
                loop.quit();
        };
        comm.OpenPort();

        std::atomic<bool> stop { false };
        double writerCpu = 0;
        double cpuBefore = ProcessCpuSeconds();
        auto start = std::chrono::steady_clock::now();
        std::thread writer([&] { writerCpu = FeedMaster(pty.Master, data, total, stop); });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit); // only if something is lost
        loop.exec();
        auto end = std::chrono::steady_clock::now();
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
    state.counters["lost_bytes"] = static_cast<double>(total * state.iterations() - received);
    state.counters["bad_chunks"] = static_cast<double>(mismatched);
    state.counters["avg_chunk"] = chunks ? static_cast<double>(received) / chunks : 0;
}

BENCHMARK(BM_ReceiveThroughPty)->Arg(32)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
