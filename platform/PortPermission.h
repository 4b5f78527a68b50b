#pragma once

#include <string>

// Serial devices on Linux belong to a group (dialout on Debian) whose members may open them. When opening a port
// fails because this user is not allowed to, the program tells on standard error which group to join; the user's
// message box stays the same.

// The hint for a device of `group` that this user may not open.
std::string PortPermissionHintText(const std::string &devicePath, const std::string &group);

// The hint when this user lacks read or write permission on the device at devicePath, else empty (the device is
// missing, or the failure had another cause). The group is the device file's own.
std::string PortPermissionHint(const std::string &devicePath);
