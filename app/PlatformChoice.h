// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The Qt platform plugin to ask for, or empty to leave Qt's choice alone. The program needs the X11 platform: on a
// native Wayland connection the tray icon is missing, no window can place itself (the companion strip cannot follow
// the main window, windows cannot be centred) and the F5 grab sees nothing. So in a Wayland session it runs through
// XWayland, unless the user has chosen a platform with QT_QPA_PLATFORM. Each argument is the environment variable's
// value, null when unset.
std::string ChoosePlatformPlugin(const char *qtQpaPlatform, const char *waylandDisplay, const char *sessionType);

// Applies the choice to this process's environment; call before the application object is created.
void SelectPlatformPlugin();
