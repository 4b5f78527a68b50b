// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

// Finding the serial ports that can be opened right now.

// Whether the device at a path can be opened at this moment.
using TDeviceOpenCheck = std::function<bool(const std::string &devicePath)>;

// What the probe asks of the system; tests put fakes here, so that no real device is ever opened by them.
struct TPortProbeDevices {
    TDeviceOpenCheck CanOpen;
    // Paths of the serial devices present other than the ones that COMn names stand for.
    std::function<std::vector<std::string>()> ListOthers;
};

// Opens the device read-only, non-blocking, without making it the controlling terminal and without configuring it,
// asks for an exclusive lock (so a port that another program or this one holds counts as not openable), and closes it
// at once.
bool CanOpenSerialDevice(const std::string &devicePath);

// The serial devices under a sysfs tty folder that stand for hardware (their entry has a "device" link: USB, ACM and
// on-board ports), as "/dev/<name>", in natural order (ttyUSB2 before ttyUSB10). The ttyS<n> devices are left out,
// since the COMn names stand for them.
std::vector<std::string> ListOtherSerialDevices(const std::string &sysfsTtyFolder = "/sys/class/tty");

// The real system. When the environment variable KELVARA_NO_PORT_PROBE is set (to anything), it opens nothing and
// finds nothing: test runs of the whole program set it, because on test machines /dev/ttyS0 is the system console.
TPortProbeDevices SystemPortProbeDevices();

// The probe stops after this many COMn names even if every one opens.
inline constexpr int PortProbeComLimit = 256;

// The names of the ports that open: "COM1", "COM2", ... up to the first name that does not open, then the other
// serial devices by path, each only if it opens.
std::vector<std::string> ProbePorts(const TPortProbeDevices &devices);
