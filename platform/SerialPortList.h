// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// The serial devices the system has, found from sysfs and /dev without opening any of them: opening a USB serial
// device raises DTR, which resets many boards and disturbs a program that is using it.

// Where the system keeps what the listing reads; tests point these at a folder of their own.
struct TSerialPortRoots {
    std::string SysClassTty = "/sys/class/tty";
    std::string Dev = "/dev";
    std::string ById = "/dev/serial/by-id";
};

// One serial device.
struct TSerialPortEntry {
    std::string Name; // the port name to store: "COMn" for an on-board UART, else the device path ("/dev/ttyUSB0")
    std::string Kernel; // the kernel's name ("ttyUSB0")
    std::string ById; // the path of its /dev/serial/by-id link, if it has one
    std::string Description; // what tells it apart: the by-id link's name, else USB product and serial number

    bool operator==(const TSerialPortEntry &) const = default;
};

// Every serial device present: USB and ACM devices, Bluetooth RFCOMM, and the on-board UARTs that really exist (a
// ttyS whose port type is not unknown). Only devices whose node exists in Dev are listed. In natural order of kernel
// name (ttyUSB2 before ttyUSB10).
std::vector<TSerialPortEntry> ListSerialPorts(const TSerialPortRoots &roots = {});

// The text of a device in the port list: "ttyUSB0 — FT232R USB UART (A50285BI)"; the port name alone when nothing
// tells it apart.
std::string PortItemText(const TSerialPortEntry &entry);

// The by-id link (full path) that leads to devicePath, itself a by-id link or a device path; empty when none does.
std::string ByIdLinkOf(const std::string &devicePath, const TSerialPortRoots &roots = {});

// The device path a by-id link leads to now; empty when the link is gone or dangles.
std::string DeviceOfByIdLink(const std::string &byIdPath);

// The system's own roots; none when the environment variable KELVARA_NO_PORT_PROBE is set (to anything): test runs of
// the whole program set it, so that their port list does not depend on the machine.
std::optional<TSerialPortRoots> SystemSerialPortRoots();
