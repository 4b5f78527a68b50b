// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The application object. Every event handler runs inside notify(), so a failure that escapes a handler is caught
// here and shown in the general error box; the rest of that handler is skipped and the program carries on.
class TGuardedApplication : public QApplication
{
public:
    TGuardedApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
