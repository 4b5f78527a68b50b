// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>

// Keeps the windows that the program opens above the floating window while that is on screen. The floating window
// stays above all ordinary windows, so a window, dialog or message box opened in the ordinary layer would come up
// beneath it (and a modal one would leave the program looking frozen). While the floating window is shown, every
// other top-level window or dialog that is shown or activated is put in the same stays-on-top layer, raised and
// activated; when the floating window hides, those windows go back to the ordinary layer. The windows that the
// floating window may cover by design (the main window and its companion strip) are left alone.
// Watches the whole application from the user-interface thread; the native windows are changed, the widgets' own
// flags are not (a window that stays on top by itself keeps doing so).
class TFloatStacking : public QObject
{
public:
    TFloatStacking(QWidget *floating, const QList<QWidget *> &beneath, QObject *parent = nullptr);
    ~TFloatStacking() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FloatingShown() const;
    bool Concerns(QWidget *window) const;
    void PutAbove(QWidget *window);
    void PutBack(QWidget *window);

    QPointer<QWidget> FFloating;
    QList<QPointer<QWidget>> FBeneath;
    QList<QPointer<QWidget>> FAbove; // windows put in the stays-on-top layer by this object
    QHash<QWidget *, QPointer<QWindow>> FTransientParents; // dialogs lent to the floating window, and their owner
};
