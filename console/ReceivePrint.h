#pragma once

#include <QStringList>

class QPrinter;

// Prints lines on the system's default printer, without a dialog, as laid out by LayoutPrintLines: 12-point text in
// the printer's default typeface at 300 dots per inch. Returns false when there is no default printer or the job
// cannot be started, drawn or finished.
bool PrintOnDefaultPrinter(const QStringList &lines);

// The printer the received text prints on, one for the program's run: made for the default printer at the first
// print, it keeps the printer and the output file set on it from then on.
QPrinter &ReceivePrinter();

// "打印": prints the lines and reports the outcome in a message box.
bool PrintAndReport(const QStringList &lines);
