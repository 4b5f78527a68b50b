#pragma once

#include <QStringList>

// Prints lines on the system's default printer, without a dialog, as laid out by LayoutPrintLines: 12-point text in
// the printer's default typeface at 300 dots per inch. Returns false when there is no default printer or the job
// cannot be started, drawn or finished.
bool PrintOnDefaultPrinter(const QStringList &lines);

// "打印": prints the lines and reports the outcome in a message box.
bool PrintAndReport(const QStringList &lines);
