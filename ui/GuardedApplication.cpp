// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GuardedApplication.h"

#include "core/MessageBox.h"

#include <exception>

TGuardedApplication::TGuardedApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TGuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &failure) {
        ShowErrorBox(failure.what());
    } catch (...) {
        ShowErrorBox("Unknown error");
    }
    return true;
}
