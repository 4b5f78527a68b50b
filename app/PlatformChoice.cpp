// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlatformChoice.h"

#include <cstdlib>
#include <string_view>

std::string ChoosePlatformPlugin(const char *qtQpaPlatform, const char *waylandDisplay, const char *sessionType)
{
    if (qtQpaPlatform && *qtQpaPlatform)
        return {};
    bool wayland = (waylandDisplay && *waylandDisplay) || (sessionType && std::string_view(sessionType) == "wayland");
    // Should the session offer no XWayland, Qt falls back to its Wayland plugin rather than not starting at all.
    return wayland ? "xcb;wayland" : "";
}

void SelectPlatformPlugin()
{
    std::string plugin = ChoosePlatformPlugin(
        std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
    if (!plugin.empty())
        setenv("QT_QPA_PLATFORM", plugin.c_str(), 1);
}
