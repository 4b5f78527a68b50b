// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/PrinterChoice.h"

TPrinterChoice ChoosePrinter(const QString &defaultQueue, const QStringList &queues)
{
    if (queues.isEmpty())
        return {};
    if (!defaultQueue.isEmpty() && queues.contains(defaultQueue))
        return { TPrinterChoice::Use, defaultQueue };
    if (queues.size() == 1)
        return { TPrinterChoice::Use, queues.front() };
    return { TPrinterChoice::Ask, QString() };
}
