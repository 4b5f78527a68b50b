// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class QApplication;

// Sets up the application object before any window exists: the title "Kelvara", the icon, Qt's own texts in
// Chinese, the program's message boxes, and that hiding or closing the last window does not end the program (it
// lives on in the tray until "退出软件").
void PrepareApplication(QApplication &app);

// The box shown at start when the program cannot keep its files in `folder` (the folder is a file, or this user may not
// write there): it names the folder and the system's reason for `error` (an errno value). The program runs on.
void ReportFilesFolderProblem(const std::string &folder, int error);
