// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveCapture.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// Above this much waiting the writer is woken before the interval ends.
constexpr std::size_t EarlyWriteBytes = std::size_t(1) << 20;

bool WriteAll(int fd, std::string_view bytes, std::string &error)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

TReceiveCapture::~TReceiveCapture()
{
    Stop();
}

bool TReceiveCapture::Start(const std::string &path, std::string &error)
{
    Stop();
    FFile = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (FFile < 0) {
        error = std::strerror(errno);
        return false;
    }
    FPath = path;
    FPending.clear();
    FStopping = false;
    FFailed = false;
    FFailure.clear();
    FWritten = 0;
    FThread = std::thread(&TReceiveCapture::Run, this);
    return true;
}

void TReceiveCapture::Stop()
{
    if (!FThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
    }
    FWake.notify_one();
    FThread.join();
    ::close(FFile);
    FFile = -1;
}

void TReceiveCapture::Append(std::string_view bytes)
{
    if (!FThread.joinable() || FFailed.load() || bytes.empty())
        return;
    bool wake;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FPending.append(bytes);
        wake = FPending.size() >= EarlyWriteBytes;
    }
    if (wake)
        FWake.notify_one();
}

std::optional<std::string> TReceiveCapture::TakeFailure()
{
    if (!FFailed.load() || !FThread.joinable())
        return std::nullopt;
    Stop();
    return FFailure;
}

void TReceiveCapture::Run()
{
    std::string batch;
    for (;;) {
        bool stopping;
        {
            std::unique_lock<std::mutex> lock(FMutex);
            FWake.wait_for(lock, std::chrono::milliseconds(FlushIntervalMs),
                [this] { return FStopping || FPending.size() >= EarlyWriteBytes; });
            batch.swap(FPending);
            FPending.clear();
            stopping = FStopping;
        }
        if (!batch.empty() && !FFailed.load()) {
            std::string error;
            if (WriteAll(FFile, batch, error)) {
                FWritten += batch.size();
            } else {
                FFailure = error;
                FFailed = true;
            }
        }
        batch.clear();
        if (stopping)
            return;
    }
}

std::string CaptureFileName(int year, int month, int day, int hour, int minute, int second)
{
    char name[64];
    std::snprintf(name, sizeof name, "capture-%04d%02d%02d-%02d%02d%02d.bin", year, month, day, hour, minute, second);
    return name;
}
