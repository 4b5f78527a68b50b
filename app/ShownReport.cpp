// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShownReport.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

bool TShownReport::Wanted()
{
    const char *value = std::getenv("KELVARA_REPORT_SHOWN");
    return value && std::strcmp(value, "1") == 0;
}

TShownReport::TShownReport(QWidget *window)
    : QObject(window)
    , FWindow(window)
{
    FWindow->installEventFilter(this);
}

bool TShownReport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FWindow && event->type() == QEvent::Paint) {
        FWindow->removeEventFilter(this);
        // Queued, so that the line is written after this paint has reached the screen.
        QMetaObject::invokeMethod(this, &TShownReport::Report, Qt::QueuedConnection);
    }
    return false;
}

void TShownReport::Report()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long nanoseconds = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    std::fprintf(stderr, "kelvara-shown %lld\n", nanoseconds);
    std::fflush(stderr);
}
