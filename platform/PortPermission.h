// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// Serial devices on Linux belong to a group (dialout on Debian, uucp elsewhere) whose members may read and write
// them. When the system refuses this user a device, the advice names that group only when joining it would let the
// user in; otherwise it states who owns the device and its mode, which is what the user (or an administrator) needs
// to change.

// What decides the advice: the device file's owner, group and permission bits, and the groups this process runs
// with (membership gained since the login does not count until the user logs in again).
struct TDeviceAccess {
    std::string Owner;
    std::string Group;
    unsigned Mode = 0; // permission bits, as 0660
    std::vector<std::string> ProcessGroups;
};

struct TPortPermissionAdvice {
    // The serial group to join: set only when the device's group may read and write it, the group is one that serial
    // devices are given (not root, tty or any other), and this process is not in it.
    std::string JoinGroup;
    // "owner:group mode", as "root:root 0600".
    std::string OwnerAndMode;
};

TPortPermissionAdvice AdvisePortPermission(const TDeviceAccess &access);

// The facts of the device file at devicePath and of this process; none when the file cannot be looked at.
std::optional<TDeviceAccess> DeviceAccessOf(const std::string &devicePath);

// The advice as one line for the user's message box.
std::string PortPermissionBoxLine(const TPortPermissionAdvice &advice);

// The hint on standard error for a device of `group` that this user may not open.
std::string PortPermissionHintText(const std::string &devicePath, const std::string &group);
// The hint on standard error: the group to join, or the device's owner and mode.
std::string PortPermissionHintText(const std::string &devicePath, const TPortPermissionAdvice &advice);
