// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstanceRequests.h"

#include "platform/SingleInstance.h"

#include <QSocketNotifier>

TSingleInstanceRequests::TSingleInstanceRequests(TSingleInstance &instance, QObject *parent)
    : QObject(parent)
    , FInstance(instance)
{
    if (FInstance.RequestSocket() < 0)
        return;
    FNotifier = new QSocketNotifier(FInstance.RequestSocket(), QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TSingleInstanceRequests::TakeRequests);
}

void TSingleInstanceRequests::TakeRequests()
{
    if (FInstance.TakeShowRequests())
        emit ShowRequested();
}
