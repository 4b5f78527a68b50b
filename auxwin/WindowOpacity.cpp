// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/WindowOpacity.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace
{

xcb_connection_t *X11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void RemoveOpacityProperty(xcb_connection_t *connection, xcb_window_t window)
{
    static const char name[] = "_NET_WM_WINDOW_OPACITY";
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, std::strlen(name), name), nullptr);
    if (!atom)
        return;
    if (atom->atom != XCB_ATOM_NONE)
        xcb_delete_property(connection, window, atom->atom);
    std::free(atom);
}

} // namespace

void ApplyWindowAlpha(QWidget *window, std::optional<int> alpha)
{
    // Qt writes the property even for full opacity; it still has to know the opacity for its own bookkeeping.
    window->setWindowOpacity(alpha ? *alpha / 255.0 : 1.0);
    xcb_connection_t *connection = X11Connection();
    const WId id = window->internalWinId();
    if (!connection || !id)
        return; // no X11, or the window does not exist yet: Qt applies a stored opacity when it creates it
    if (!alpha)
        RemoveOpacityProperty(connection, static_cast<xcb_window_t>(id));
    xcb_flush(connection);
}
