// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Which print queue the received text goes to, from the queues the print system offers: its default queue when it
// names one, else the only queue there is, else the user picks one in the print dialog. No queue at all is no printer.
struct TPrinterChoice {
    enum TKind { NoPrinter, Use, Ask };
    TKind Kind = NoPrinter;
    QString Queue; // the queue to print on, for Use

    bool operator==(const TPrinterChoice &) const = default;
};

TPrinterChoice ChoosePrinter(const QString &defaultQueue, const QStringList &queues);
