// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialPortName.h"

#include <gtest/gtest.h>

TEST(SerialPortName, MapsComNamesAndKeepsPaths)
{
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(SerialDevicePath("/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(SerialDevicePath("COM0"), "COM0");
    EXPECT_EQ(SerialDevicePath("COM"), "COM");
    EXPECT_EQ(SerialDevicePath("COMx"), "COMx");
}
