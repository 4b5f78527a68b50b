#pragma once

#include <QEvent>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

class QObject;

// One notification on its way from a worker to the notification window. A block of received bytes travels inside
// the message and is released with it, whether it was dispatched or dropped with a destroyed window.
class TNotifyMessage : public QEvent
{
public:
    TNotifyMessage(unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block);

    unsigned Code() const { return static_cast<unsigned>(type()); }
    uint32_t WParam() const { return FWParam; }
    uint32_t LParam() const { return FLParam; }
    const char *Block() const { return FBlock.get(); }

private:
    uint32_t FWParam;
    uint32_t FLParam;
    std::unique_ptr<char[]> FBlock;
};

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

    // User-interface thread only.
    void Attach(QObject *window);
    void Detach();
    // The notification that event is, counted as delivered; null for any other event. Taking the lock first orders
    // the caller after the worker that built the message (Qt's own queue lock is invisible to race checkers).
    TNotifyMessage *Accept(QEvent *event);
    void SetLimit(std::size_t limit);

private:
    std::mutex FLock;
    QObject *FWindow = nullptr;
    std::size_t FUndelivered = 0;
    std::size_t FLimit = DefaultLimit;
};
