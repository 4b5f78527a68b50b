// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QPrinter;
class QWidget;

enum class TPrintOutcome { Printed, Failed, Cancelled };

// Prints lines as laid out by LayoutPrintLines: 12-point text in the printer's default typeface at 300 dots per inch.
// The queue is the one ChoosePrinter picks from the print system's queues; when it cannot pick (several queues, none
// the default) the print dialog asks over `dialogParent`, and cancelling it prints nothing. An output file set on
// ReceivePrinter() is kept. Failed when there is no queue at all or the job cannot be started, drawn or finished.
TPrintOutcome PrintReceivedLines(const QStringList &lines, QWidget *dialogParent = nullptr);

// The printer the received text prints on, one for the program's run, so that what the print dialog set on it (an
// output file, the queue's options) holds from one print to the next.
QPrinter &ReceivePrinter();

// "打印": prints the lines and reports the outcome in a message box; a cancelled dialog shows none. True when printed.
bool PrintAndReport(const QStringList &lines, QWidget *dialogParent = nullptr);
