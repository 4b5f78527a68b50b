// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/CommThread.h"

#include <sys/resource.h>
#include <unistd.h>

TCommThread::~TCommThread()
{
    if (FThread.joinable())
        FThread.detach(); // only reached when the owner never released a created thread
}

void TCommThread::Create()
{
    FThread = std::thread([self = shared_from_this()] { self->Run(); });
}

void TCommThread::Resume()
{
    {
        std::lock_guard lock(FLock);
        FResumed = true;
    }
    FChanged.notify_all();
}

bool TCommThread::Release(std::chrono::milliseconds timeout)
{
    if (!FThread.joinable())
        return true;
    bool ended;
    {
        std::unique_lock lock(FLock);
        if (!FResumed) {
            FTerminated = true;
            FResumed = true;
            FChanged.notify_all();
        }
        ended = FChanged.wait_for(lock, timeout, [this] { return FFinished; });
    }
    if (ended) {
        FThread.join();
    } else {
        FTerminated = true;
        FThread.detach();
    }
    return ended;
}

void TCommThread::Run()
{
    {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [this] { return FResumed; });
    }
    if (!FTerminated) {
        if (int priority = FPriority; priority != 0)
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -2 * priority);
        Execute();
    }
    {
        std::lock_guard lock(FLock);
        FFinished = true;
    }
    FChanged.notify_all();
}
