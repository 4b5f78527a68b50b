// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Centres a top-level window, frame included, on its screen's available area; called as the window is first shown.
// The window manager frames a window only when it maps it, so the frame of a framed window of the program on screen
// stands in for the window's own until then, and the window is centred again by its own frame as it first appears.
void CentreOnScreen(QWidget *window);

// Shows a window without blocking the others, or brings it to the front when it is already on screen; a minimized
// window is restored.
void ShowModeless(QWidget *window);
