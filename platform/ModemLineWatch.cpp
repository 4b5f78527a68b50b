// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ModemLineWatch.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{

// The signal that interrupts the watcher's wait in the driver when the watch stops. Its handler does nothing: the
// signal only makes the wait return with EINTR.
int StopSignal()
{
    static const int number = SIGRTMIN + 4;
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {
        };
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the wait must return
        sigaction(number, &action, nullptr);
    });
    return number;
}

void Signal(int fd)
{
    const uint64_t one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) { }
}

} // namespace

TModemLineWatch::~TModemLineWatch()
{
    Stop();
}

bool TModemLineWatch::Start(int fd)
{
    Stop();
    FWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FWake < 0)
        return false;
    StopSignal();
    FStop = false;
    FEnded = false;
    FFailed = false;
    try {
        FThread = std::thread([this, fd] { Run(fd); });
    } catch (...) {
        close(FWake);
        FWake = -1;
        return false;
    }
    return true;
}

void TModemLineWatch::Run(int fd)
{
    while (!FStop.load()) {
        const int result = ioctl(fd, TIOCMIWAIT, TIOCM_RNG | TIOCM_CD);
        if (FStop.load())
            break;
        if (result == 0) {
            Signal(FWake);
        } else if (errno != EINTR) {
            // The driver cannot wait for its modem lines, or the device is gone.
            FFailed = true;
            Signal(FWake);
            break;
        }
    }
    FEnded = true;
}

void TModemLineWatch::Stop()
{
    if (FThread.joinable()) {
        FStop = true;
        // A signal sent just before the thread enters its wait is missed, so send it until the thread has ended.
        const int signal = StopSignal();
        while (!FEnded.load()) {
            pthread_kill(FThread.native_handle(), signal);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        FThread.join();
    }
    if (FWake >= 0) {
        close(FWake);
        FWake = -1;
    }
}

void TModemLineWatch::Take()
{
    uint64_t count = 0;
    while (read(FWake, &count, sizeof count) < 0 && errno == EINTR) { }
}
