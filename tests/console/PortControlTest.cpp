#include "console/PortControl.h"

#include "MessageBoxRecorder.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

TEST(PortControl, SettingsMapOntoTheComponentAsTheTableSays)
{
    TPortFileSettings defaults;
    TPortLineChanges changes = MapPortSettings(defaults);
    EXPECT_EQ(changes.CommName, "COM1");
    EXPECT_EQ(changes.BaudRate, 9600u);
    EXPECT_EQ(changes.ByteSize, TPortByteSize::_8);
    EXPECT_FALSE(changes.ParityCheck);
    EXPECT_EQ(changes.Parity, std::nullopt); // checking off: parity untouched
    EXPECT_EQ(changes.StopBits, TPortStopBits::_1);

    struct Case {
        const char *Name;
        TPortFileSettings Settings;
        std::optional<TPortByteSize> ByteSize;
        std::optional<TPortParity> Parity;
        TPortStopBits StopBits;
    };
    const Case cases[] = {
        { "5 data bits, Even with checking", { "/dev/x", 115200, 5, "Even", true, 2 }, TPortByteSize::_5,
            TPortParity::Even, TPortStopBits::_2 },
        { "9 data bits kept, Even without checking", { "c", 1, 9, "Even", false, 1.5 }, std::nullopt, std::nullopt,
            TPortStopBits::_1_5 },
        { "lower-case word gives none", { "c", 1, 7, "even", true, 3 }, TPortByteSize::_7, TPortParity::None,
            TPortStopBits::_1_5 },
        { "Mark", { "c", 1, 6, "Mark", true, 0 }, TPortByteSize::_6, TPortParity::Mark, TPortStopBits::_1_5 },
        { "Odd", { "c", 1, 8, "Odd", true, 1.25 }, TPortByteSize::_8, TPortParity::Odd, TPortStopBits::_1_5 },
        { "Space", { "c", 1, 4, "Space", true, 1.0000000001 }, std::nullopt, TPortParity::Space, TPortStopBits::_1 },
    };
    for (const Case &c : cases) {
        TPortLineChanges mapped = MapPortSettings(c.Settings);
        EXPECT_EQ(mapped.ByteSize, c.ByteSize) << c.Name;
        EXPECT_EQ(mapped.Parity, c.Parity) << c.Name;
        EXPECT_EQ(mapped.StopBits, c.StopBits) << c.Name;
    }
    EXPECT_EQ(MapPortSettings({ "c", -1, 8, "none", false, 1 }).BaudRate, 4294967295u);
}

TEST(PortControl, InformationTexts)
{
    using Texts = std::array<std::string, 5>;
    EXPECT_EQ(PortInfoTexts({}), (Texts { "COM1", "9600", "8", "无", "1" }));
    EXPECT_EQ(PortInfoTexts({ "/tmp/tty", 115200, TPortByteSize::_7, TPortParity::Even, TPortStopBits::_1_5 }),
        (Texts { "/tmp/tty", "115200", "7", "偶校验", "1.5" }));
    EXPECT_EQ(PortInfoTexts({ "x", 0, TPortByteSize::_5, TPortParity::Odd, TPortStopBits::_2 }),
        (Texts { "x", "0", "5", "奇校验", "2" }));
    EXPECT_EQ(PortInfoTexts({ "x", 1, TPortByteSize::_6, TPortParity::Mark, TPortStopBits::_1 })[3], "标记");
    EXPECT_EQ(PortInfoTexts({ "x", 1, TPortByteSize::_6, TPortParity::Space, TPortStopBits::_1 })[3], "空格");
}

struct TFakePort : TPortAccess {
    std::vector<std::string> Calls;
    bool FailClose = false;
    bool FailOpen = false;
    TPortFileSettings Settings;
    std::optional<TPortLineChanges> Applied;

    void ClosePort() override
    {
        Calls.push_back("close");
        if (FailClose)
            throw std::runtime_error("close");
    }
    TPortFileSettings ReadSettings() override
    {
        Calls.push_back("read");
        return Settings;
    }
    void ApplyChanges(const TPortLineChanges &changes) override
    {
        Calls.push_back("apply");
        Applied = changes;
    }
    void OpenPort() override
    {
        Calls.push_back("open");
        if (FailOpen)
            throw std::runtime_error("Error opening serial port");
    }
};

TEST(PortControl, OpenAndCloseReportInTheirOwnWords)
{
    TMessageBoxRecorder boxes;
    TFakePort port;
    port.FailClose = true; // a failing close before the open is ignored
    port.Settings.CommName = "/tmp/pty";
    EXPECT_TRUE(OpenPortFromSettings(port));
    EXPECT_EQ(port.Calls, (std::vector<std::string> { "close", "read", "apply", "open" }));
    EXPECT_EQ(port.Applied->CommName, "/tmp/pty");
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { { "串口打开成功", "提示", mbIconExclamation } }));

    boxes.Boxes.clear();
    port.FailOpen = true;
    EXPECT_FALSE(OpenPortFromSettings(port));
    EXPECT_EQ(boxes.Boxes,
        (std::vector<TMessageBoxRequest> {
            { "串口打开失败，请检测串口是否被占用或者为无用串口", "提示", mbIconExclamation } }));

    boxes.Boxes.clear();
    port.FailClose = false;
    ClosePortAndReport(port);
    port.FailClose = true;
    ClosePortAndReport(port);
    EXPECT_EQ(boxes.Boxes,
        (std::vector<TMessageBoxRequest> {
            { "串口关闭成功", "提示", mbIconExclamation }, { "串口关闭失败", "提示", mbIconStop } }));
}

} // namespace
