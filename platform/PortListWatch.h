// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialPortList.h"

#include <QObject>

class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

// Tells when serial devices may have come or gone, from the kernel's own notifications, never by polling: udev's
// monitor (tty devices, after udev has made their links) where udev runs and the roots are the system's, otherwise
// inotify on the Dev and ById folders (a node or link made or removed). A burst of notifications gives one Changed,
// shortly after the burst. Lives on the user-interface thread.
class TPortListWatch : public QObject
{
    Q_OBJECT
public:
    enum class TSource { Udev, Inotify, None };

    explicit TPortListWatch(const TSerialPortRoots &roots, QObject *parent = nullptr);
    ~TPortListWatch() override;

    TSource Source() const { return FSource; }

signals:
    void Changed();

private:
    bool StartUdev();
    bool StartInotify();
    void WatchByIdFolder();
    void TakeNotifications();

    TSerialPortRoots FRoots;
    TSource FSource = TSource::None;
    udev *FUdev = nullptr;
    udev_monitor *FMonitor = nullptr;
    int FInotify = -1;
    int FByIdWatch = -1;
    QSocketNotifier *FNotifier = nullptr;
    QTimer *FSettle = nullptr;
};
