#include "platform/PortPermission.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

std::string PortPermissionHintText(const std::string &devicePath, const std::string &group)
{
    return "kelvara: no permission to open " + devicePath + ": serial ports belong to the group '" + group
        + "'; add your user to it (sudo usermod -aG " + group + " $USER) and log in again";
}

std::string PortPermissionHint(const std::string &devicePath)
{
    if (::access(devicePath.c_str(), R_OK | W_OK) == 0 || errno != EACCES)
        return {};
    struct stat info {
    };
    std::string groupName = "dialout";
    if (::stat(devicePath.c_str(), &info) == 0)
        if (const group *entry = ::getgrgid(info.st_gid); entry && entry->gr_name)
            groupName = entry->gr_name;
    return PortPermissionHintText(devicePath, groupName);
}
