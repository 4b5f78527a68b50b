// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/FloatStacking.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace
{

void SetStaysOnTop(QWidget *window, bool above)
{
    QWindow *handle = window->windowHandle();
    if (!handle)
        return;
    above = above || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != above)
        handle->setFlag(Qt::WindowStaysOnTopHint, above);
}

} // namespace

TFloatStacking::TFloatStacking(QWidget *floating, const QList<QWidget *> &beneath, QObject *parent)
    : QObject(parent)
    , FFloating(floating)
{
    for (QWidget *window : beneath)
        FBeneath.append(window);
    qApp->installEventFilter(this);
}

TFloatStacking::~TFloatStacking()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool TFloatStacking::FloatingShown() const
{
    return FFloating && FFloating->isVisible() && !FFloating->isMinimized();
}

bool TFloatStacking::Concerns(QWidget *window) const
{
    if (!window->isWindow() || window == FFloating || FBeneath.contains(window))
        return false;
    // Menus, drop-down lists and hints have layers of their own.
    Qt::WindowType type = window->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

void TFloatStacking::PutAbove(QWidget *window)
{
    SetStaysOnTop(window, true);
    // A window manager keeps a dialog in the layer of the window it belongs to: a dialog of the main window stays
    // beneath the floating window whatever its own layer. While the floating window is shown, it belongs to that.
    QWindow *handle = window->windowHandle();
    QWindow *floating = FFloating ? FFloating->windowHandle() : nullptr;
    if (handle && floating && handle->transientParent() && handle->transientParent() != floating) {
        FTransientParents.insert(window, handle->transientParent());
        handle->setTransientParent(floating);
    }
    if (!FAbove.contains(window))
        FAbove.append(window);
    window->raise();
    window->activateWindow();
}

void TFloatStacking::PutBack(QWidget *window)
{
    SetStaysOnTop(window, false);
    QPointer<QWindow> parent = FTransientParents.take(window);
    if (parent && window->windowHandle())
        window->windowHandle()->setTransientParent(parent);
    FAbove.removeAll(window);
}

bool TFloatStacking::eventFilter(QObject *watched, QEvent *event)
{
    QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate)
        return false;
    if (!watched->isWidgetType())
        return false;
    auto *window = static_cast<QWidget *>(watched);
    // Minimizing and restoring arrive as spontaneous hide and show events; they change no layer.
    if (type != QEvent::WindowActivate && event->spontaneous())
        return false;

    if (window == FFloating) {
        if (type == QEvent::Hide) {
            for (const QPointer<QWidget> &above : QList<QPointer<QWidget>>(FAbove)) {
                if (above)
                    PutBack(above);
            }
            FAbove.clear();
        }
        return false;
    }
    if (!Concerns(window))
        return false;
    if (type == QEvent::Hide) {
        if (FAbove.contains(window))
            PutBack(window);
    } else if (FloatingShown() && !(type == QEvent::WindowActivate && FAbove.contains(window))) {
        // A show event comes before the window is mapped: it is mapped straight into the upper layer.
        PutAbove(window);
    }
    return false;
}
