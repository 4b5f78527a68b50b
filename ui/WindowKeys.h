// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class QWidget;

// The keys that every window of the program answers as people expect of a dialog: Return or Enter on a focused push
// button clicks it, as Space does; and, for a dialog-like window, Esc that no control of the window has taken does
// what the window's close or cancel does. Controls see the keys first (a combo box's open list takes Esc, a text box
// takes Return), so only what they leave reaches the window. Lives as long as the window.
class TWindowKeys : public QObject
{
public:
    // escape: what Esc does; empty leaves Esc alone.
    TWindowKeys(QWidget *window, std::function<void()> escape);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *FWindow;
    std::function<void()> FEscape;
};

// Return on focused buttons, and Esc does what cancel does: cancel, or the window's close when none is given.
void AddDialogKeys(QWidget *window, std::function<void()> cancel = {});
// Return on focused buttons only, for a window that Esc must not close.
void AddButtonReturnKey(QWidget *window);
