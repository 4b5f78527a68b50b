// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialEvent.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct TReadRun;

class QEvent;
class QObject;
class TNotifyMessage;

// What the workers hold of the notification window. The component and its workers share it, so a worker can never
// post to a window that no longer exists: once the window is detached every post fails.
//
// Like a platform message queue it takes a bounded number of undelivered notifications, so a user-interface thread
// that stops dispatching cannot make memory grow without limit. Posting never waits while there is room. A worker
// that meets a full queue waits until the window has taken some (PostWaiting), holding back its device meanwhile (the
// kernel's buffer and the device's flow control keep the rest); the close request ends that wait at once, and it
// looks again at least every 100 ms. Hang-up requests are always accepted.
class TNotificationTarget
{
public:
    static constexpr std::size_t DefaultLimit = 10000;

    TNotificationTarget();

    // Posts at once; false when the window is gone or the queue is full.
    bool Post(unsigned code, uint32_t wParam = 0, uint32_t lParam = 0, std::unique_ptr<char[]> block = nullptr);

    enum class TPosted { Posted, Closed, Failed };
    // Posts, waiting while the queue is full: Closed (nothing posted) when `closeEvent` is set first, Failed when the
    // window is gone or the system refused the wait or the memory.
    TPosted PostWaiting(const TSerialEvent &closeEvent, unsigned code, uint32_t wParam = 0, uint32_t lParam = 0);
    // A received block with the runs it arrived in, waiting as PostWaiting does.
    TPosted PostReceived(
        const TSerialEvent &closeEvent, uint32_t count, std::unique_ptr<char[]> block, std::vector<TReadRun> runs);

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
    enum class TTry { Posted, Full, Failed };
    // Under FLock. The block and runs are moved only when posted.
    TTry TryPost(
        unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> &block, std::vector<TReadRun> &runs);
    TPosted PostWhenRoom(const TSerialEvent &closeEvent, unsigned code, uint32_t wParam, uint32_t lParam,
        std::unique_ptr<char[]> block, std::vector<TReadRun> runs);
    // Under FLock: sets or resets FRoom to match the queue.
    void UpdateRoom();

    std::mutex FLock;
    QObject *FWindow = nullptr;
    std::size_t FUndelivered = 0;
    std::size_t FLimit = DefaultLimit;
    uint32_t FSession = 0;
    // Set while a post would be taken (room in the queue, or no window: the post then fails at once); Set and Reset
    // only under FLock.
    TSerialEvent FRoom { true };
    bool FRoomSet = true;
};
