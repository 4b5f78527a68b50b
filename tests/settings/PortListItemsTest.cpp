// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortListItems.h"

#include <gtest/gtest.h>

namespace
{

const TSerialPortEntry Ftdi { "/dev/ttyUSB0", "ttyUSB0", "", "FT232R USB UART (A50285BI)" };
const TSerialPortEntry Uart { "COM12", "ttyS11", "", "" };

} // namespace

TEST(PortListItems, MergeMarksGoneDevicesAddsNewOnesAndNeverReorders)
{
    using I = TPortListItem;
    const std::string ftdiText = "ttyUSB0 — FT232R USB UART (A50285BI)";
    struct TRow {
        const char *Case;
        std::vector<I> Items;
        std::vector<TSerialPortEntry> Present;
        std::vector<I> Want;
    };
    const std::vector<TRow> rows = {
        { "a new device is added after the plain names", { { "COM1", "", false } }, { Ftdi, Uart },
            { { "COM1", "", false }, { ftdiText, "/dev/ttyUSB0", false }, { "COM12", "", false } } },
        { "a device that went is marked once", { { ftdiText, "/dev/ttyUSB0", false } }, {},
            { { ftdiText + PortGoneMark, "/dev/ttyUSB0", true } } },
        { "still gone: no second mark", { { ftdiText + PortGoneMark, "/dev/ttyUSB0", true } }, {},
            { { ftdiText + PortGoneMark, "/dev/ttyUSB0", true } } },
        { "back again", { { ftdiText + PortGoneMark, "/dev/ttyUSB0", true } }, { Ftdi },
            { { ftdiText, "/dev/ttyUSB0", false } } },
        { "a plain item of the device's name stands for it", { { "/dev/ttyUSB0", "", false } }, { Ftdi },
            { { "/dev/ttyUSB0", "", false } } },
    };
    for (const TRow &row : rows)
        EXPECT_EQ(MergePortList(row.Items, row.Present), row.Want) << row.Case;
}

TEST(PortListItems, TheChoiceIsTheShownItemsNameOrTheTypedText)
{
    const std::vector<TPortListItem> items { { "COM1", "", false }, { "ttyUSB0 — FT232R", "/dev/ttyUSB0", false } };
    EXPECT_EQ(PortNameOfChoice(items, 1, "ttyUSB0 — FT232R"), "/dev/ttyUSB0");
    EXPECT_EQ(PortNameOfChoice(items, 0, "COM1"), "COM1");
    EXPECT_EQ(PortNameOfChoice(items, 1, " /dev/ttyUSB3 "), "/dev/ttyUSB3") << "typed over the chosen item";
    EXPECT_EQ(PortNameOfChoice(items, -1, "tcp://box:23"), "tcp://box:23");
    EXPECT_EQ(PortNameOfChoice(items, -1, "  "), "");
}
