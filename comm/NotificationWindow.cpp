// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/NotificationWindow.h"

#include "comm/NotificationTarget.h"
#include "comm/NotifyMessage.h"
#include "comm/SerialComm.h"

TNotificationWindow::TNotificationWindow(TComm *comm, std::shared_ptr<TNotificationTarget> target)
    : FComm(comm)
    , FTarget(std::move(target))
{
    FTarget->Attach(this);
}

TNotificationWindow::~TNotificationWindow()
{
    // From here no worker can post; what is still queued for this window is dropped (and released) by Qt.
    FTarget->Detach();
}

bool TNotificationWindow::event(QEvent *event)
{
    TNotifyMessage *message = FTarget->Accept(event);
    if (!message)
        return QObject::event(event);
    FComm->Dispatch(*message);
    return true;
}
