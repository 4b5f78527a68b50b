// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Message boxes of the program, named by the platform's values: the icon in the flags and the answer as returned.
enum TMessageBoxFlags : int {
    mbIconStop = 16,
    mbIconQuestion = 32,
    mbIconExclamation = 48,
    mbIconInformation = 64,
    mbYesNoQuestion = 36, // Yes/No buttons with the question icon
    mbYesNoCancelQuestion = 35, // Yes/No/Cancel buttons with the question icon
};

enum TMessageBoxAnswer : int {
    idOk = 1,
    idCancel = 2,
    idYes = 6,
    idNo = 7,
};

// One request: text and caption in UTF-8, flags as above.
struct TMessageBoxRequest {
    std::string Text;
    std::string Caption;
    int Flags = 0;
};

using TMessageBoxHandler = std::function<int(const TMessageBoxRequest &)>;

// Shows a box through the installed handler and returns its answer. Every message box of the program goes through
// here, application-modal, so that tests can intercept them. Without a handler it answers idOk (or idNo for Yes/No and
// Yes/No/Cancel).
int ShowMessageBox(const std::string &text, const std::string &caption, int flags);

// Installs the handler that shows boxes (the widget layer installs the real one at start-up; tests install a
// recorder). Returns the previous handler.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// The application title: caption of the general error box, of the main window and name of the instance lock.
inline constexpr const char *ApplicationTitle = "Kelvara";

// The general error box for a failure that escaped a handler: its text by ErrorBoxText, caption "Kelvara", stop icon.
void ShowErrorBox(const std::string &failureText);
