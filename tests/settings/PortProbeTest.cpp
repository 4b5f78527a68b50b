// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PortProbe.h"

#include "tests/support/Pty.h"

#include <QDir>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

TEST(PortProbe, ListsComNamesUpToTheFirstGapThenOtherDevicesThatOpen)
{
    std::set<std::string> openable { "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS3", "/dev/ttyUSB0" };
    std::vector<std::string> asked;
    TPortProbeDevices devices {
        [&](const std::string &path) {
            asked.push_back(path);
            return openable.count(path) > 0;
        },
        [] {
            return std::vector<std::string> { "/dev/ttyACM0", "/dev/ttyUSB0" };
        },
    };
    EXPECT_EQ(ProbePorts(devices), (std::vector<std::string> { "COM1", "COM2", "/dev/ttyUSB0" }));
    EXPECT_EQ(
        asked, (std::vector<std::string> { "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB0" }));

    // A system where every name opens still ends.
    TPortProbeDevices everything { [](const std::string &) { return true; }, nullptr };
    std::vector<std::string> all = ProbePorts(everything);
    ASSERT_EQ(all.size(), static_cast<size_t>(PortProbeComLimit));
    EXPECT_EQ(all.back(), "COM" + std::to_string(PortProbeComLimit));
}

TEST(PortProbe, OtherDevicesAreTheHardwareTtysBesidesTtyS)
{
    QTemporaryDir sysfs;
    QDir root(sysfs.path());
    for (const char *name : { "ttyS0", "ttyS12", "ttySAC0", "ttyUSB10", "ttyUSB2", "ttyACM0" })
        ASSERT_TRUE(root.mkpath(QString(name) + "/device"));
    for (const char *name : { "tty1", "console", "ptmx" })
        ASSERT_TRUE(root.mkpath(name));
    // In sysfs the device entry is a link.
    ASSERT_TRUE(root.mkpath("ttyUSB2-target"));
    ASSERT_TRUE(root.rmdir("ttyUSB2/device"));
    ASSERT_EQ(::symlink((sysfs.path() + "/ttyUSB2-target").toLocal8Bit().constData(),
                  (sysfs.path() + "/ttyUSB2/device").toLocal8Bit().constData()),
        0);

    EXPECT_EQ(ListOtherSerialDevices(sysfs.path().toStdString()),
        (std::vector<std::string> { "/dev/ttyACM0", "/dev/ttySAC0", "/dev/ttyUSB2", "/dev/ttyUSB10" }));
    EXPECT_TRUE(ListOtherSerialDevices(sysfs.path().toStdString() + "/missing").empty());
}

TEST(PortProbe, ADeviceHeldByAnotherOpenerDoesNotCount)
{
    TPty pty;
    ASSERT_TRUE(pty.Valid());
    const std::string &slave = pty.SlavePath;

    EXPECT_TRUE(CanOpenSerialDevice(slave));
    EXPECT_TRUE(CanOpenSerialDevice(slave)); // the probe's own open leaves nothing held

    int holder = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(CanOpenSerialDevice(slave));
    ::close(holder);
    EXPECT_TRUE(CanOpenSerialDevice(slave));

    EXPECT_FALSE(CanOpenSerialDevice("/dev/kelvara-no-such-device"));
}

} // namespace
