// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialPortList.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (dirent *entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (!name.empty() && name[0] != '.')
                names.push_back(std::move(name));
        }
        ::closedir(dir);
    }
    return names;
}

bool Exists(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0;
}

std::string FirstLine(const std::string &path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::string RealPath(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasNumberAfter(const std::string &name, const std::string &prefix)
{
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0
        && std::all_of(
            name.begin() + static_cast<long>(prefix.size()), name.end(), [](char c) { return c >= '0' && c <= '9'; });
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

// The USB product and serial number of the device a tty belongs to: the first folder above the tty's device that
// holds a USB vendor id.
std::string UsbDescription(const std::string &ttyFolder)
{
    std::string folder = RealPath(ttyFolder + "/device");
    while (!folder.empty() && folder != "/") {
        if (Exists(folder + "/idVendor")) {
            std::string product = FirstLine(folder + "/product");
            if (product.empty())
                product = FirstLine(folder + "/manufacturer");
            if (product.empty())
                product = "USB " + FirstLine(folder + "/idVendor") + ":" + FirstLine(folder + "/idProduct");
            std::string serial = FirstLine(folder + "/serial");
            return serial.empty() ? product : product + " (" + serial + ")";
        }
        folder = folder.substr(0, folder.rfind('/'));
    }
    return {};
}

} // namespace

std::string DeviceOfByIdLink(const std::string &byIdPath)
{
    std::string target = RealPath(byIdPath);
    return target.empty() || !Exists(target) ? std::string() : target;
}

std::vector<TSerialPortEntry> ListSerialPorts(const TSerialPortRoots &roots)
{
    // Which by-id link leads to which kernel name.
    std::vector<std::pair<std::string, std::string>> byId; // kernel name, link path
    for (const std::string &link : FolderEntries(roots.ById)) {
        std::string target = RealPath(roots.ById + "/" + link);
        if (!target.empty())
            byId.emplace_back(BaseName(target), roots.ById + "/" + link);
    }
    std::sort(byId.begin(), byId.end());

    std::vector<TSerialPortEntry> entries;
    for (const std::string &kernel : FolderEntries(roots.SysClassTty)) {
        const std::string folder = roots.SysClassTty + "/" + kernel;
        const bool rfcomm = HasNumberAfter(kernel, "rfcomm");
        const bool uart = HasNumberAfter(kernel, "ttyS");
        if (!rfcomm && !Exists(folder + "/device"))
            continue; // virtual terminals, the console, ptys
        // The 8250 driver makes ttyS entries for ports that are not there; their port type reads 0 (unknown).
        if (uart && FirstLine(folder + "/type") == "0")
            continue;
        if (!Exists(roots.Dev + "/" + kernel))
            continue;

        TSerialPortEntry entry;
        entry.Kernel = kernel;
        entry.Name = uart ? "COM" + std::to_string(std::stoul(kernel.substr(4)) + 1) : "/dev/" + kernel;
        auto link = std::lower_bound(byId.begin(), byId.end(), std::make_pair(kernel, std::string()));
        if (link != byId.end() && link->first == kernel) {
            entry.ById = link->second;
            entry.Description = BaseName(link->second);
        } else if (!uart) {
            entry.Description = UsbDescription(folder);
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const TSerialPortEntry &a, const TSerialPortEntry &b) {
        return NaturalKey(a.Kernel) < NaturalKey(b.Kernel);
    });
    return entries;
}

std::string PortItemText(const TSerialPortEntry &entry)
{
    if (entry.Description.empty() || entry.Name.rfind("COM", 0) == 0)
        return entry.Name;
    return entry.Kernel + " — " + entry.Description;
}

std::string ByIdLinkOf(const std::string &devicePath, const TSerialPortRoots &roots)
{
    if (devicePath.rfind(roots.ById + "/", 0) == 0)
        return devicePath;
    const std::string device = RealPath(devicePath);
    if (device.empty())
        return {};
    for (const std::string &link : FolderEntries(roots.ById)) {
        if (RealPath(roots.ById + "/" + link) == device)
            return roots.ById + "/" + link;
    }
    return {};
}

std::optional<TSerialPortRoots> SystemSerialPortRoots()
{
    if (std::getenv("KELVARA_NO_PORT_PROBE"))
        return std::nullopt;
    return TSerialPortRoots {};
}
