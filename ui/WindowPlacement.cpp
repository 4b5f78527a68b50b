// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace
{

// The frame of a framed top-level window of the program on screen, or none.
QMargins KnownFrame(const QWidget *except)
{
    for (QWidget *other : QApplication::topLevelWidgets()) {
        if (other == except || !other->isVisible() || other->isMinimized() || !other->windowHandle())
            continue;
        QMargins frame = other->windowHandle()->frameMargins();
        if (!frame.isNull())
            return frame;
    }
    return {};
}

void MoveFrameToCentre(QWidget *window, QMargins frame)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = window->size().grownBy(frame);
    const QPoint outerAt(
        area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    // Placed by its inner area, which means the same before and after the window manager has framed the window.
    window->setGeometry(QRect(outerAt + QPoint(frame.left(), frame.top()), window->size()));
}

// Centres the window again by its own frame when it first appears on screen, then goes.
class TFramedCentring : public QObject
{
public:
    TFramedCentring(QWidget *window, QMargins assumed)
        : QObject(window->windowHandle())
        , FWindow(window)
        , FAssumed(assumed)
    {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *handle = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && handle->isExposed()) {
            if (FWindow && handle->frameMargins() != FAssumed)
                MoveFrameToCentre(FWindow, handle->frameMargins());
            deleteLater();
            handle->removeEventFilter(this);
        }
        return false;
    }

private:
    QPointer<QWidget> FWindow;
    QMargins FAssumed;
};

} // namespace

void CentreOnScreen(QWidget *window)
{
    window->winId(); // the native window, which tells when it is mapped and framed
    QMargins assumed
        = window->windowHandle()->isExposed() ? window->windowHandle()->frameMargins() : KnownFrame(window);
    MoveFrameToCentre(window, assumed);
    if (!window->windowHandle()->isExposed())
        new TFramedCentring(window, assumed);
}

void ShowModeless(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}
