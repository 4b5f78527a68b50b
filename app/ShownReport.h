// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// Start-up measurement: when the main window has painted for the first time, writes one line
// "kelvara-shown <monotonic clock in nanoseconds>" to standard error and removes itself. The start-up benchmark
// turns this on with the environment variable KELVARA_REPORT_SHOWN=1; nothing else reads it.
class TShownReport : public QObject
{
    Q_OBJECT
public:
    static bool Wanted();
    explicit TShownReport(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Report();

    QWidget *FWindow;
};
