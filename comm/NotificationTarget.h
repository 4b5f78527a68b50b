// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct TReadRun;

class QEvent;
class QObject;
class TNotifyMessage;

// What the workers hold of the notification window: posting never waits for the user-interface thread. The
// component and its workers share it, so a worker can never post to a window that no longer exists: once the
// window is detached every post fails.
//
// Like a platform message queue it takes a bounded number of undelivered notifications; beyond that a post fails
// and the worker ends with a hang-up request (which is always accepted), so a user-interface thread that stops
// dispatching cannot make memory grow without limit.
class TNotificationTarget
{
public:
    static constexpr std::size_t DefaultLimit = 10000;

    bool Post(unsigned code, uint32_t wParam = 0, uint32_t lParam = 0, std::unique_ptr<char[]> block = nullptr);
    // A received block with the runs it arrived in.
    bool PostReceived(uint32_t count, std::unique_ptr<char[]> block, std::vector<TReadRun> runs);

    // User-interface thread only.
    void Attach(QObject *window);
    void Detach();
    // The notification that event is, counted as delivered; null for any other event. Taking the lock first orders
    // the caller after the worker that built the message (Qt's own queue lock is invisible to race checkers).
    TNotifyMessage *Accept(QEvent *event);
    void SetLimit(std::size_t limit);
    // Each opening of the port is a new session; every notification carries the session it was posted in, so that
    // one still queued from an earlier opening can be told apart.
    void NewSession();
    uint32_t Session();

private:
    bool PostMessage(
        unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block, std::vector<TReadRun> runs);

    std::mutex FLock;
    QObject *FWindow = nullptr;
    std::size_t FUndelivered = 0;
    std::size_t FLimit = DefaultLimit;
    uint32_t FSession = 0;
};
