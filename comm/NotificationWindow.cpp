#include "comm/NotificationWindow.h"

#include "comm/CommMessages.h"
#include "comm/NotificationTarget.h"
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
    unsigned code = static_cast<unsigned>(event->type());
    if (code < NotifyReceiveData || code > NotifySendDataEmpty)
        return QObject::event(event);
    auto *message = dynamic_cast<TNotifyMessage *>(event);
    if (!message)
        return true;
    FTarget->Delivered();
    FComm->Dispatch(*message);
    return true;
}
