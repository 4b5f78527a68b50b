// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortProbe.h"

#include "platform/SerialPortName.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool IsComDevice(const std::string &name)
{
    if (name.size() <= 4 || name.compare(0, 4, "ttyS") != 0)
        return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "ttyUSB10" into "ttyUSB" and 10, so that numbered devices sort by number.
std::pair<std::string, unsigned long> NaturalKey(const std::string &name)
{
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    size_t count = name.size() - digits;
    if (count == 0 || count > 9)
        return { name, 0 };
    return { name.substr(0, digits), std::stoul(name.substr(digits)) };
}

} // namespace

bool CanOpenSerialDevice(const std::string &devicePath)
{
    int fd = ::open(devicePath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

std::vector<std::string> ListOtherSerialDevices(const std::string &sysfsTtyFolder)
{
    std::vector<std::string> names;
    DIR *folder = ::opendir(sysfsTtyFolder.c_str());
    if (!folder)
        return names;
    while (dirent *entry = ::readdir(folder)) {
        std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || IsComDevice(name))
            continue;
        struct stat st {
        };
        if (::lstat((sysfsTtyFolder + "/" + name + "/device").c_str(), &st) == 0)
            names.push_back(name);
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end(),
        [](const std::string &a, const std::string &b) { return NaturalKey(a) < NaturalKey(b); });
    std::vector<std::string> paths;
    for (const std::string &name : names)
        paths.push_back("/dev/" + name);
    return paths;
}

TPortProbeDevices SystemPortProbeDevices()
{
    if (std::getenv("KELVARA_NO_PORT_PROBE"))
        return { [](const std::string &) { return false; }, [] { return std::vector<std::string>(); } };
    return { CanOpenSerialDevice, [] { return ListOtherSerialDevices(); } };
}

std::vector<std::string> ProbePorts(const TPortProbeDevices &devices)
{
    std::vector<std::string> found;
    for (int n = 1; n <= PortProbeComLimit; ++n) {
        std::string name = "COM" + std::to_string(n);
        if (!devices.CanOpen(SerialDevicePath(name)))
            break;
        found.push_back(name);
    }
    if (devices.ListOthers) {
        for (const std::string &path : devices.ListOthers()) {
            if (devices.CanOpen(path))
                found.push_back(path);
        }
    }
    return found;
}
