// SPDX-License-Identifier: GPL-3.0-or-later
// A peer that sends as fast as it can: a server thread on loopback pushes N MB (tcp:// raw, or rfc2217:// with every
// 0xFF doubled after agreeing to the port option) and the serial component receives them into OnReceiveData, which
// only counts and checks them. Reports the seconds from the first byte sent to the last received, MB/s (10^6 bytes),
// the peak growth of resident memory over the run (sampled every 5 ms) and whether the program hung up.
#include "comm/SerialComm.h"
#include "tests/bench/BenchSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

using TClock = std::chrono::steady_clock;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "peer_flood_bench";
    static char *argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives for the whole run
}

char FloodByte(std::size_t i)
{
    return static_cast<char>((i * 7 + i / 4093) & 0xFF);
}

// `size` bytes of the flood from position `from` on, as they travel (escaped for telnet).
std::string WireChunk(std::size_t from, std::size_t size, bool telnet)
{
    std::string chunk;
    chunk.reserve(size * 2);
    for (std::size_t i = from; i < from + size; ++i) {
        chunk += FloodByte(i);
        if (telnet && static_cast<unsigned char>(chunk.back()) == 0xFF)
            chunk += chunk.back();
    }
    return chunk;
}

// Listens on a free loopback port; the serving thread accepts one connection and floods it.
struct TFloodServer {
    int Listen = -1;
    uint16_t Port = 0;
    std::atomic<bool> Stop { false };
    std::thread Thread;

    TFloodServer(std::size_t total, bool telnet)
    {
        Listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(Listen, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(Listen, 1);
        ::getsockname(Listen, reinterpret_cast<sockaddr *>(&address), &size);
        Port = ntohs(address.sin_port);
        Thread = std::thread([this, total, telnet] {
            int fd = -1;
            while (!Stop && fd < 0) {
                pollfd item { Listen, POLLIN, 0 };
                if (::poll(&item, 1, 50) > 0)
                    fd = ::accept4(Listen, nullptr, nullptr, SOCK_CLOEXEC);
            }
            if (fd < 0)
                return;
            if (telnet)
                ::send(fd, "\xff\xfd\x2c", 3, MSG_NOSIGNAL); // DO COM-PORT-OPTION
            for (std::size_t sent = 0; sent < total && !Stop;) {
                std::size_t size = std::min<std::size_t>(total - sent, 65536);
                std::string chunk = WireChunk(sent, size, telnet);
                if (!WriteAll(fd, chunk.data(), chunk.size()))
                    break;
                sent += size;
            }
            while (!Stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::close(fd);
        });
    }
    ~TFloodServer()
    {
        Stop = true;
        Thread.join();
        ::close(Listen);
    }
};

void Flood(benchmark::State &state, bool telnet)
{
    EnsureApplication();
    const std::size_t total = static_cast<std::size_t>(state.range(0)) * 1000000;
    double seconds = 0;
    long peakGrowth = 0;
    std::size_t received = 0, wrong = 0;
    int hangups = 0;
    for (auto _ : state) {
        TFloodServer server(total, telnet);
        TComm comm;
        comm.SetCommName((telnet ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(server.Port));
        std::size_t got = 0;
        QEventLoop loop;
        comm.OnReceiveData = [&](TComm *, const char *buffer, uint16_t length) {
            for (uint16_t i = 0; i < length; ++i)
                wrong += buffer[i] != FloodByte(got + i);
            got += length;
            if (got >= total)
                loop.quit();
        };
        comm.OnRequestHangup = [&](TComm *) {
            ++hangups;
            loop.quit();
        };
        const long before = ResidentBytes();
        std::atomic<long> peak { before };
        std::atomic<bool> sampling { true };
        std::thread sampler([&] {
            while (sampling) {
                long now = ResidentBytes();
                if (now > peak)
                    peak = now;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        auto start = TClock::now();
        comm.OpenPort();
        QTimer::singleShot(300000, &loop, &QEventLoop::quit); // only if something is lost
        loop.exec();
        auto end = TClock::now();
        sampling = false;
        sampler.join();
        comm.ClosePort();
        QCoreApplication::processEvents();

        seconds += std::chrono::duration<double>(end - start).count();
        peakGrowth = std::max(peakGrowth, peak - before);
        received += got;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(received));
    state.counters["seconds"] = seconds / static_cast<double>(state.iterations());
    state.counters["MB_per_s"] = received / 1e6 / seconds;
    state.counters["peak_rss_growth_MB"] = peakGrowth / 1e6;
    state.counters["lost_bytes"] = static_cast<double>(total * state.iterations()) - static_cast<double>(received);
    state.counters["wrong_bytes"] = static_cast<double>(wrong);
    state.counters["hangups"] = hangups;
}

void BM_TcpPeerFlood(benchmark::State &state)
{
    Flood(state, false);
}
void BM_Rfc2217PeerFlood(benchmark::State &state)
{
    Flood(state, true);
}

BENCHMARK(BM_TcpPeerFlood)->Arg(100)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rfc2217PeerFlood)->Arg(100)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
