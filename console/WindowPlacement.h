#pragma once

class QWidget;

// Moves a top-level window to the middle of its screen's available area.
void CentreOnScreen(QWidget *window);

// Shows a modeless window, or brings it to the front when it is already on screen.
void ShowModeless(QWidget *window);
