// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/NotificationTarget.h"

#include "comm/CommMessages.h"
#include "comm/NotifyMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <new>

namespace
{
// The longest a waiting worker sleeps before it looks again; the room event and the close event wake it sooner.
constexpr int RoomWaitSliceMs = 100;
} // namespace

TNotificationTarget::TNotificationTarget() = default;

bool TNotificationTarget::Post(unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block)
{
    std::vector<TReadRun> runs;
    std::lock_guard lock(FLock);
    return TryPost(code, wParam, lParam, block, runs) == TTry::Posted;
}

TNotificationTarget::TPosted TNotificationTarget::PostWaiting(
    const TSerialEvent &closeEvent, unsigned code, uint32_t wParam, uint32_t lParam)
{
    return PostWhenRoom(closeEvent, code, wParam, lParam, nullptr, {});
}

TNotificationTarget::TPosted TNotificationTarget::PostReceived(
    const TSerialEvent &closeEvent, uint32_t count, std::unique_ptr<char[]> block, std::vector<TReadRun> runs)
{
    return PostWhenRoom(closeEvent, NotifyReceiveData, count, 0, std::move(block), std::move(runs));
}

TNotificationTarget::TPosted TNotificationTarget::PostWhenRoom(const TSerialEvent &closeEvent, unsigned code,
    uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block, std::vector<TReadRun> runs)
{
    for (;;) {
        {
            std::lock_guard lock(FLock);
            TTry tried = TryPost(code, wParam, lParam, block, runs);
            if (tried != TTry::Full)
                return tried == TTry::Posted ? TPosted::Posted : TPosted::Failed;
        }
        // Without a room event (the system refused one) the slices alone bound the wait.
        int woken = FRoom.Valid() ? WaitForSerialEvents({ &closeEvent, &FRoom }, RoomWaitSliceMs)
                                  : WaitForSerialEvents({ &closeEvent }, RoomWaitSliceMs / 10);
        if (woken == 0)
            return TPosted::Closed;
        if (woken == -1)
            return TPosted::Failed;
    }
}

TNotificationTarget::TTry TNotificationTarget::TryPost(
    unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> &block, std::vector<TReadRun> &runs)
{
    if (!FWindow)
        return TTry::Failed;
    if (FUndelivered >= FLimit && code != NotifyRequestHangup)
        return TTry::Full;
    auto *message = new (std::nothrow) TNotifyMessage(code, wParam, lParam, std::move(block), std::move(runs));
    if (!message)
        return TTry::Failed;
    message->SetSession(FSession);
    ++FUndelivered;
    UpdateRoom();
    QCoreApplication::postEvent(FWindow, message);
    return TTry::Posted;
}

void TNotificationTarget::UpdateRoom()
{
    const bool room = !FWindow || FUndelivered < FLimit;
    if (room == FRoomSet)
        return;
    FRoomSet = room;
    if (room)
        FRoom.Set();
    else
        FRoom.Reset();
}

void TNotificationTarget::Attach(QObject *window)
{
    std::lock_guard lock(FLock);
    FWindow = window;
    UpdateRoom();
}

void TNotificationTarget::Detach()
{
    std::lock_guard lock(FLock);
    FWindow = nullptr;
    UpdateRoom();
}

TNotifyMessage *TNotificationTarget::Accept(QEvent *event)
{
    std::lock_guard lock(FLock);
    unsigned code = static_cast<unsigned>(event->type());
    if (code < NotifyReceiveData || code > NotifySendHeld)
        return nullptr;
    auto *message = dynamic_cast<TNotifyMessage *>(event);
    if (message && FUndelivered > 0) {
        --FUndelivered;
        UpdateRoom();
    }
    return message;
}

void TNotificationTarget::NewSession()
{
    std::lock_guard lock(FLock);
    ++FSession;
}

uint32_t TNotificationTarget::Session()
{
    std::lock_guard lock(FLock);
    return FSession;
}

void TNotificationTarget::SetLimit(std::size_t limit)
{
    std::lock_guard lock(FLock);
    FLimit = limit;
    UpdateRoom();
}
