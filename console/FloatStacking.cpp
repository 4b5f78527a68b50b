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
    if (!FAbove.contains(window))
        FAbove.append(window);
    window->raise();
    window->activateWindow();
}

void TFloatStacking::PutBack(QWidget *window)
{
    SetStaysOnTop(window, false);
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
