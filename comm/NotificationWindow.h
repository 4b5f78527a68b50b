// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <memory>

class TComm;
class TNotificationTarget;

// The component's hidden notification window: a plain QObject of the user-interface thread (never shown, no
// widget) that receives the workers' notifications as posted events and hands each to the component's dispatcher.
// Other events get Qt's default handling and raise nothing.
class TNotificationWindow : public QObject
{
public:
    TNotificationWindow(TComm *comm, std::shared_ptr<TNotificationTarget> target);
    ~TNotificationWindow() override;

    bool event(QEvent *event) override;

private:
    TComm *FComm;
    std::shared_ptr<TNotificationTarget> FTarget;
};
