// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Thread priorities as offsets from normal.
constexpr int ThreadPriorityAboveNormal = 1;
constexpr int ThreadPriorityHighest = 2;

// A worker thread that is created suspended: Create starts the system thread, which waits at a start gate until
// Resume. Its body (Execute) runs on the worker and never looks at the terminate flag; a thread whose flag is set
// before it is resumed ends without running its body.
//
// Owned through std::shared_ptr: the running thread holds a reference of its own, so that Release may give up on a
// thread stuck in a system call and leave it to finish on its own without anything it uses going away.
class TCommThread : public std::enable_shared_from_this<TCommThread>
{
public:
    virtual ~TCommThread();
    TCommThread(const TCommThread &) = delete;
    TCommThread &operator=(const TCommThread &) = delete;

    // Starts the suspended system thread; throws std::system_error when the system refuses one.
    void Create();
    // Best effort: the worker raises its scheduling priority when it starts, if the system allows it.
    void SetPriority(int priority) { FPriority = priority; }
    void Resume();
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // Waits up to timeout for the body to end (a thread never resumed is terminated and ends at once), then joins
    // it; a thread still running after the timeout is terminated and left to finish by itself. Returns whether
    // the thread had ended.
    bool Release(std::chrono::milliseconds timeout);

protected:
    TCommThread() = default;
    virtual void Execute() = 0;

private:
    void Run();

    std::thread FThread;
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FResumed = false;
    bool FFinished = false;
    std::atomic<bool> FTerminated { false };
    std::atomic<int> FPriority { 0 };
};
