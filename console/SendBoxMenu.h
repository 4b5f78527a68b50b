// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/ConsoleOptions.h"

#include <functional>

class QMenu;
class QPlainTextEdit;

// The windows of the automation that the send box's menu opens; an empty one has no item.
struct TSendBoxMenuWindows {
    std::function<void()> QuickSend; // "快捷发送…"
    std::function<void()> Script; // "脚本…"
};

// The send box's context menu: the box's own edit items, a separator, the items of the automation windows with a
// separator after them, "十六进制发送" (checkable) and the "发送结尾" submenu with the four endings, the ending of the
// send mode in use checked (hex and text sends keep one each). The last two stay the last, where the keyboard finds
// them from the bottom.
// Choosing an item passes the changed options to changed. The menu and every action in it are made afresh for each
// opening and belong to the menu, so that a screen reader sees the items of each menu it opens. The caller shows the
// menu; it deletes itself when closed.
QMenu *BuildSendBoxMenu(QPlainTextEdit *box, const TConsoleOptions &options,
    std::function<void(const TConsoleOptions &)> changed, const TSendBoxMenuWindows &windows = {});
