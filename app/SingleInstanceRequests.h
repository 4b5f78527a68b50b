// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;
class TSingleInstance;

// Watches the claim of the running copy for new starts of the program, in the event loop: each new start of this
// user raises ShowRequested once. Requests that came before the loop ran are taken when it starts.
class TSingleInstanceRequests : public QObject
{
    Q_OBJECT
public:
    // `instance` holds the claim and outlives this object.
    explicit TSingleInstanceRequests(TSingleInstance &instance, QObject *parent = nullptr);

signals:
    void ShowRequested();

private:
    void TakeRequests();

    TSingleInstance &FInstance;
    QSocketNotifier *FNotifier = nullptr;
};
