// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/bench/BenchSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

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

} // namespace

double ProcessCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * (values.size() - 1) + 0.5))];
}

void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WriteAll(int fd, const char *bytes, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

TLoopAnswer::TLoopAnswer()
    : FPoster([this] {
        while (FPosting) {
            QCoreApplication::postEvent(this, new TPing(Clock::now()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    })
{
}

TLoopAnswer::~TLoopAnswer()
{
    Stop();
}

void TLoopAnswer::Stop()
{
    FPosting = false;
    if (FPoster.joinable())
        FPoster.join();
}

void TLoopAnswer::customEvent(QEvent *event)
{
    if (event->type() == TPing::Kind) {
        auto sent = static_cast<TPing *>(event)->Sent;
        DelaysMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    }
}
