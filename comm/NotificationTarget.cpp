// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/NotificationTarget.h"

#include "comm/CommMessages.h"
#include "comm/NotifyMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <new>

bool TNotificationTarget::Post(unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block)
{
    return PostMessage(code, wParam, lParam, std::move(block), {});
}

bool TNotificationTarget::PostReceived(uint32_t count, std::unique_ptr<char[]> block, std::vector<TReadRun> runs)
{
    return PostMessage(NotifyReceiveData, count, 0, std::move(block), std::move(runs));
}

bool TNotificationTarget::PostMessage(
    unsigned code, uint32_t wParam, uint32_t lParam, std::unique_ptr<char[]> block, std::vector<TReadRun> runs)
{
    std::lock_guard lock(FLock);
    if (!FWindow)
        return false;
    if (FUndelivered >= FLimit && code != NotifyRequestHangup)
        return false;
    auto *message = new (std::nothrow) TNotifyMessage(code, wParam, lParam, std::move(block), std::move(runs));
    if (!message)
        return false;
    message->SetSession(FSession);
    ++FUndelivered;
    QCoreApplication::postEvent(FWindow, message);
    return true;
}

void TNotificationTarget::Attach(QObject *window)
{
    std::lock_guard lock(FLock);
    FWindow = window;
}

void TNotificationTarget::Detach()
{
    std::lock_guard lock(FLock);
    FWindow = nullptr;
}

TNotifyMessage *TNotificationTarget::Accept(QEvent *event)
{
    std::lock_guard lock(FLock);
    unsigned code = static_cast<unsigned>(event->type());
    if (code < NotifyReceiveData || code > NotifySendHeld)
        return nullptr;
    auto *message = dynamic_cast<TNotifyMessage *>(event);
    if (message && FUndelivered > 0)
        --FUndelivered;
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
}
