// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortPermission.h"

#include <algorithm>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The groups that distributions give serial devices to, so that joining one is the usual way to use a port.
bool IsSerialGroup(const std::string &group)
{
    return group == "dialout" || group == "uucp";
}

std::string GroupName(gid_t gid)
{
    if (const group *entry = ::getgrgid(gid); entry && entry->gr_name)
        return entry->gr_name;
    return std::to_string(gid);
}

std::string UserName(uid_t uid)
{
    if (const passwd *entry = ::getpwuid(uid); entry && entry->pw_name)
        return entry->pw_name;
    return std::to_string(uid);
}

} // namespace

TPortPermissionAdvice AdvisePortPermission(const TDeviceAccess &access)
{
    TPortPermissionAdvice advice;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", access.Mode & 07777);
    advice.OwnerAndMode = access.Owner + ":" + access.Group + " " + mode;

    const bool groupMayReadAndWrite = (access.Mode & 060) == 060;
    const bool inGroup = std::find(access.ProcessGroups.begin(), access.ProcessGroups.end(), access.Group)
        != access.ProcessGroups.end();
    if (groupMayReadAndWrite && IsSerialGroup(access.Group) && !inGroup)
        advice.JoinGroup = access.Group;
    return advice;
}

std::optional<TDeviceAccess> DeviceAccessOf(const std::string &devicePath)
{
    struct stat info {
    };
    if (::stat(devicePath.c_str(), &info) != 0)
        return std::nullopt;
    TDeviceAccess access;
    access.Owner = UserName(info.st_uid);
    access.Group = GroupName(info.st_gid);
    access.Mode = info.st_mode & 07777;

    std::vector<gid_t> gids(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    int count = ::getgroups(static_cast<int>(gids.size()), gids.data());
    gids.resize(static_cast<std::size_t>(std::max(count, 0)));
    gids.push_back(::getegid());
    for (gid_t gid : gids)
        access.ProcessGroups.push_back(GroupName(gid));
    return access;
}

std::string PortPermissionBoxLine(const TPortPermissionAdvice &advice)
{
    if (!advice.JoinGroup.empty())
        return "请将当前用户加入 " + advice.JoinGroup + " 组（sudo usermod -aG " + advice.JoinGroup
            + " $USER）后重新登录";
    return "设备属主与权限：" + advice.OwnerAndMode;
}

std::string PortPermissionHintText(const std::string &devicePath, const std::string &group)
{
    return "kelvara: no permission to open " + devicePath + ": serial ports belong to the group '" + group
        + "'; add your user to it (sudo usermod -aG " + group + " $USER) and log in again";
}

std::string PortPermissionHintText(const std::string &devicePath, const TPortPermissionAdvice &advice)
{
    if (!advice.JoinGroup.empty())
        return PortPermissionHintText(devicePath, advice.JoinGroup);
    return "kelvara: no permission to open " + devicePath + " (owner and mode " + advice.OwnerAndMode + ")";
}
