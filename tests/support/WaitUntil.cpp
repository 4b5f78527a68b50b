// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace
{

void PumpOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents();
    QThread::msleep(1);
}

} // namespace

bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds limit)
{
    QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        PumpOnce();
    }
    return true;
}

void PumpFor(std::chrono::milliseconds span)
{
    QDeadlineTimer deadline(span);
    while (!deadline.hasExpired())
        PumpOnce();
}
