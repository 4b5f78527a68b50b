// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

class QWidget;

// Gives a top-level window a constant alpha (0 invisible .. 255 opaque), or with nothing takes its transparency away
// so that it is an ordinary opaque window again. On X11 the alpha is the window's _NET_WM_WINDOW_OPACITY property,
// which the compositor applies; taking transparency away removes the property. The change is sent to the X server at
// once. Where the platform has no window opacity, nothing changes on screen.
void ApplyWindowAlpha(QWidget *window, std::optional<int> alpha);
