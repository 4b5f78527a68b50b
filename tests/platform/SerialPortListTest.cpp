// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialPortList.h"

#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{

const std::string Fixture = std::string(KELVARA_TEST_SUPPORT_DIR) + "/fixtures/serial-ports";

TSerialPortRoots RootsAt(const std::string &root)
{
    return { root + "/sys/class/tty", root + "/dev", root + "/dev/serial/by-id" };
}

} // namespace

TEST(SerialPortList, DescribesEachDeviceOfTheFixtureTree)
{
    const TSerialPortRoots roots = RootsAt(Fixture);
    const std::string byId = roots.ById + "/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
    const std::vector<TSerialPortEntry> want {
        { "/dev/rfcomm0", "rfcomm0", "", "" },
        { "/dev/ttyACM0", "ttyACM0", "", "Arduino (www.arduino.cc) (75833353035351D0E1B1)" },
        { "COM1", "ttyS0", "", "" },
        { "/dev/ttyUSB0", "ttyUSB0", "", "FT232R USB UART (A50285BI)" },
        { "/dev/ttyUSB1", "ttyUSB1", byId, "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0" },
    };
    // Left out: tty1 (virtual), ttyS1 (a UART the driver knows of but that is not there), ttyUSB2 (no /dev node).
    EXPECT_EQ(ListSerialPorts(roots), want);

    struct TRow {
        size_t Index;
        const char *Text;
    };
    for (TRow row :
        { TRow { 0, "/dev/rfcomm0" }, TRow { 2, "COM1" }, TRow { 3, "ttyUSB0 — FT232R USB UART (A50285BI)" },
            TRow { 4, "ttyUSB1 — usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0" } })
        EXPECT_EQ(PortItemText(want[row.Index]), row.Text);

    EXPECT_EQ(ByIdLinkOf(roots.Dev + "/ttyUSB1", roots), byId);
    EXPECT_EQ(ByIdLinkOf(roots.Dev + "/ttyUSB0", roots), "");
    EXPECT_EQ(DeviceOfByIdLink(byId), roots.Dev + "/ttyUSB1");
}

TEST(SerialPortList, AMissingTreeListsNothingAndADanglingLinkLeadsNowhere)
{
    EXPECT_TRUE(ListSerialPorts(RootsAt(Fixture + "/missing")).empty());

    QTemporaryDir folder;
    const std::string link = folder.filePath("usb-gone-if00-port0").toStdString();
    std::filesystem::create_symlink("../ttyUSB9", link);
    EXPECT_EQ(DeviceOfByIdLink(link), "");
}
