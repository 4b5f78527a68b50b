// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ToolWindowPlacement.h"

#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace
{

constexpr int CascadeStep = 28;
constexpr int MaxCascade = 32;
constexpr const char *PlacedProperty = "kelvaraPlacedBeside";

// The position nearest to at that keeps a rectangle of size inside area (its top-left wins when it is too big).
QPoint KeepInside(QPoint at, const QSize &size, const QRect &area)
{
    const int x = std::max(area.left(), std::min(at.x(), area.left() + area.width() - size.width()));
    const int y = std::max(area.top(), std::min(at.y(), area.top() + area.height() - size.height()));
    return { x, y };
}

bool Free(const QRect &rect, const QList<QRect> &taken)
{
    return std::none_of(taken.begin(), taken.end(), [&](const QRect &other) { return other.intersects(rect); });
}

bool FitsInside(const QRect &rect, const QRect &area)
{
    return area.contains(rect) || (rect.height() > area.height() && rect.top() == area.top());
}

} // namespace

QPoint ToolWindowPosition(const QRect &main, const QSize &size, const QRect &area, const QList<QRect> &taken)
{
    const int top = KeepInside(main.topLeft(), size, area).y();
    QList<int> columns;
    if (main.right() + 1 + size.width() <= area.left() + area.width())
        columns << main.right() + 1;
    if (main.left() - size.width() >= area.left())
        columns << main.left() - size.width();

    // A side's place, or the first room under the windows that stand there.
    QList<int> tops { top };
    for (const QRect &other : taken)
        tops << other.bottom() + 1;
    std::sort(tops.begin(), tops.end());
    for (int x : columns) {
        for (int y : tops) {
            const QRect place(QPoint(x, y), size);
            if (y >= top && FitsInside(place, area) && Free(place, taken))
                return place.topLeft();
        }
    }

    const QPoint start
        = columns.isEmpty() ? main.topLeft() + QPoint(CascadeStep, CascadeStep) : QPoint(columns[0], top);
    QPoint at = KeepInside(start, size, area);
    for (int step = 1; step <= MaxCascade; ++step) {
        if (std::none_of(taken.begin(), taken.end(), [&](const QRect &other) { return other.topLeft() == at; }))
            break;
        at = KeepInside(start + QPoint(step * CascadeStep, step * CascadeStep), size, area);
    }
    return at;
}

void ShowBeside(QWidget *window, const QWidget *main)
{
    if (!window)
        return;
    if (main && !window->property(PlacedProperty).toBool()) {
        window->setProperty(PlacedProperty, true);
        QScreen *screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize(); // the size the first show would give it
        // The new window's frame is not known before the window manager frames it: the main window's stands in.
        const QMargins frame = main->windowHandle() ? main->windowHandle()->frameMargins() : QMargins();
        QList<QRect> taken;
        for (QWidget *other : QApplication::topLevelWidgets()) {
            if (other != window && other != main && other->isVisible() && !other->isMinimized()
                && !(other->windowType() == Qt::Popup || other->windowType() == Qt::ToolTip))
                taken << other->frameGeometry();
        }
        if (screen) {
            const QPoint outer = ToolWindowPosition(
                main->frameGeometry(), window->size().grownBy(frame), screen->availableGeometry(), taken);
            // Placed by its inner area, which means the same before and after the window manager frames it.
            window->setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), window->size()));
        }
    }
    ShowModeless(window);
}
