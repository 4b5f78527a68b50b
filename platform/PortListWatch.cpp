// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortListWatch.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <libudev.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// udev makes the by-id links a moment after the device node; a change is reported once the burst is over.
constexpr int SettleMs = 50;

// Nodes and links made, removed or renamed; not their times, which a terminal being written to keeps changing.
constexpr uint32_t FolderChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

bool UdevRuns()
{
    struct stat info {
    };
    return ::stat("/run/udev/control", &info) == 0;
}

} // namespace

TPortListWatch::TPortListWatch(const TSerialPortRoots &roots, QObject *parent)
    : QObject(parent)
    , FRoots(roots)
    , FSettle(new QTimer(this))
{
    FSettle->setSingleShot(true);
    FSettle->setInterval(SettleMs);
    connect(FSettle, &QTimer::timeout, this, &TPortListWatch::Changed);

    const bool systemRoots = FRoots.Dev == TSerialPortRoots {}.Dev;
    if (systemRoots && UdevRuns() && StartUdev())
        FSource = TSource::Udev;
    else if (StartInotify())
        FSource = TSource::Inotify;
}

TPortListWatch::~TPortListWatch()
{
    delete FNotifier;
    if (FMonitor)
        udev_monitor_unref(FMonitor);
    if (FUdev)
        udev_unref(FUdev);
    if (FInotify >= 0)
        ::close(FInotify);
}

bool TPortListWatch::StartUdev()
{
    FUdev = udev_new();
    if (!FUdev)
        return false;
    FMonitor = udev_monitor_new_from_netlink(FUdev, "udev");
    if (!FMonitor || udev_monitor_filter_add_match_subsystem_devtype(FMonitor, "tty", nullptr) < 0
        || udev_monitor_enable_receiving(FMonitor) < 0) {
        if (FMonitor)
            udev_monitor_unref(FMonitor);
        udev_unref(FUdev);
        FMonitor = nullptr;
        FUdev = nullptr;
        return false;
    }
    FNotifier = new QSocketNotifier(udev_monitor_get_fd(FMonitor), QSocketNotifier::Read);
    connect(FNotifier, &QSocketNotifier::activated, this, &TPortListWatch::TakeNotifications);
    return true;
}

bool TPortListWatch::StartInotify()
{
    FInotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FInotify < 0)
        return false;
    if (::inotify_add_watch(FInotify, FRoots.Dev.c_str(), FolderChanges) < 0) {
        ::close(FInotify);
        FInotify = -1;
        return false;
    }
    WatchByIdFolder();
    FNotifier = new QSocketNotifier(FInotify, QSocketNotifier::Read);
    connect(FNotifier, &QSocketNotifier::activated, this, &TPortListWatch::TakeNotifications);
    return true;
}

void TPortListWatch::WatchByIdFolder()
{
    // The by-id folder comes and goes with the first and last device that has a link.
    if (FByIdWatch < 0)
        FByIdWatch = ::inotify_add_watch(FInotify, FRoots.ById.c_str(), FolderChanges | IN_DELETE_SELF);
}

void TPortListWatch::TakeNotifications()
{
    if (FMonitor) {
        while (udev_device *device = udev_monitor_receive_device(FMonitor))
            udev_device_unref(device);
    } else if (FInotify >= 0) {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            ssize_t n = ::read(FInotify, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                auto *event = reinterpret_cast<inotify_event *>(buffer + at);
                if (event->wd == FByIdWatch && (event->mask & (IN_DELETE_SELF | IN_IGNORED)))
                    FByIdWatch = -1;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        WatchByIdFolder();
    }
    FSettle->start();
}
