// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a tool window goes when it first opens: the top-left corner of its frame, all in screen pixels.
// main is the main window's frame, size the new window's frame, area the screen's available area, taken the frames of
// the program's other windows on screen. The window goes right of the main window if it fits on the screen there,
// else left of it, top edges level (moved up as far as the screen's bottom needs); below the windows that already
// stand in that place when there is room under them; otherwise it cascades from the first free corner so that no two
// windows open on the same spot. Always inside the area as far as the window's size allows.
QPoint ToolWindowPosition(const QRect &main, const QSize &size, const QRect &area, const QList<QRect> &taken);

// Shows a tool window, placed by ToolWindowPosition beside main the first time it is shown; later it opens where it
// was left. Brought to the front when it is on screen already, restored when minimized.
void ShowBeside(QWidget *window, const QWidget *main);
