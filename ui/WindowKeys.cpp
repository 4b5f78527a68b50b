// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace
{

bool IsReturn(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool IsEscape(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

} // namespace

TWindowKeys::TWindowKeys(QWidget *window, std::function<void()> escape)
    : QObject(window)
    , FWindow(window)
    , FEscape(std::move(escape))
{
    // A key that the focused control leaves travels up its parents to the window, where this filter sees it.
    window->installEventFilter(this);
}

bool TWindowKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FWindow || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsReturn(key)) {
        auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
        if (!button || button->window() != FWindow || !button->isEnabled() || !button->isVisible())
            return false;
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
    if (IsEscape(key) && FEscape) {
        if (!key->isAutoRepeat())
            FEscape();
        return true;
    }
    return false;
}

void AddDialogKeys(QWidget *window, std::function<void()> cancel)
{
    if (!cancel)
        cancel = [window] { window->close(); };
    new TWindowKeys(window, std::move(cancel));
}

void AddButtonReturnKey(QWidget *window)
{
    new TWindowKeys(window, {});
}
