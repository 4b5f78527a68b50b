// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// The program's icon (window frames, taskbar, tray), drawn at 16, 32, 48 and 128 pixels: a trace on a dark screen.
QIcon ApplicationIcon();
