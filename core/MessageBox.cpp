// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MessageBox.h"

#include "core/ErrorText.h"

#include <utility>

namespace
{

TMessageBoxHandler &Handler()
{
    static TMessageBoxHandler handler;
    return handler;
}

} // namespace

int ShowMessageBox(const std::string &text, const std::string &caption, int flags)
{
    if (auto &handler = Handler())
        return handler(TMessageBoxRequest { text, caption, flags });
    return flags == mbYesNoQuestion || flags == mbYesNoCancelQuestion ? idNo : idOk;
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

void ShowErrorBox(const std::string &failureText)
{
    ShowMessageBox(ErrorBoxText(failureText), ApplicationTitle, mbIconStop);
}
