// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/port/PortControl.h"

#include "MessageBoxRecorder.h"
#include "console/port/PortOpenFailure.h"
#include "settings/FlowControl.h"
#include "tests/support/Pty.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/SerialSimulated.h"
#include "tests/support/WaitUntil.h"

#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iterator>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using namespace std::chrono_literals;

using Texts = std::array<std::string, 5>;

TEST(PortControl, SettingsMapOntoTheComponentAsTheTableSays)
{
    TPortLineChanges changes = MapPortSettings(TPortSettings {});
    EXPECT_EQ(changes.CommName, "COM1");
    EXPECT_EQ(changes.BaudRate, 9600u);
    EXPECT_EQ(changes.ByteSize, TByteSize::_8);
    EXPECT_FALSE(changes.ParityCheck);
    EXPECT_EQ(changes.Parity, std::nullopt); // checking off: parity untouched
    EXPECT_EQ(changes.StopBits, TStopBits::_1);

    struct Case {
        const char *Name;
        TPortSettings Settings;
        std::optional<TByteSize> ByteSize;
        std::optional<TParity> Parity;
        TStopBits StopBits;
    };
    const Case cases[] = {
        { "5 data bits, Even with checking", { "/dev/x", 115200, 5, "Even", true, 2 }, TByteSize::_5, TParity::Even,
            TStopBits::_2 },
        { "9 data bits kept, Even without checking", { "c", 1, 9, "Even", false, 1.5 }, std::nullopt, std::nullopt,
            TStopBits::_1_5 },
        { "lower-case word gives none", { "c", 1, 7, "even", true, 3 }, TByteSize::_7, TParity::None, TStopBits::_1_5 },
        { "Mark", { "c", 1, 6, "Mark", true, 0 }, TByteSize::_6, TParity::Mark, TStopBits::_1_5 },
        { "Odd", { "c", 1, 8, "Odd", true, 1.25 }, TByteSize::_8, TParity::Odd, TStopBits::_1_5 },
        { "Space, stop bits equal to 1 as a float", { "c", 1, 4, "Space", true, 1.0000000001 }, std::nullopt,
            TParity::Space, TStopBits::_1 },
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
    EXPECT_EQ(PortInfoTexts({}), (Texts { "COM1", "9600", "8", "无", "1" }));
    EXPECT_EQ(PortInfoTexts({ "/tmp/tty", 115200, TByteSize::_7, TParity::Even, TStopBits::_1_5 }),
        (Texts { "/tmp/tty", "115200", "7", "偶校验", "1.5" }));
    EXPECT_EQ(PortInfoTexts({ "x", 0, TByteSize::_5, TParity::Odd, TStopBits::_2 }),
        (Texts { "x", "0", "5", "奇校验", "2" }));
    EXPECT_EQ(PortInfoTexts({ "x", 1, TByteSize::_6, TParity::Mark, TStopBits::_1 })[3], "标记");
    EXPECT_EQ(PortInfoTexts({ "x", 1, TByteSize::_6, TParity::Space, TStopBits::_1 })[3], "空格");
}

TEST(PortControl, TheChosenFlowControlDecidesTheFlowBitsTheDeviceGets)
{
    // The component starts with the main window's values: X-on/X-off both ways, DTR and RTS enabled.
    struct Case {
        const char *Name;
        std::optional<TFlowControl> Before;
        TFlowControl Flow;
        uint32_t Flags;
    };
    const Case cases[] = {
        { "none: no X-on/X-off, no handshake", std::nullopt, TFlowControl::None, 0x1091 },
        { "XON/XOFF both ways", std::nullopt, TFlowControl::XonXoff, 0x1391 },
        { "CTS output flow and RTS handshaking", std::nullopt, TFlowControl::RtsCts, 0x2095 },
        { "none after RTS/CTS gives RTS back as an enabled line", TFlowControl::RtsCts, TFlowControl::None, 0x1091 },
        { "XON/XOFF after RTS/CTS", TFlowControl::RtsCts, TFlowControl::XonXoff, 0x1391 },
    };
    for (const Case &c : cases) {
        TSerialSimulator line;
        TComm comm(nullptr, line.Factory());
        if (c.Before)
            ApplyFlowControl(comm, *c.Before);
        ApplyFlowControl(comm, c.Flow);
        comm.OpenPort();
        EXPECT_EQ(line.DeviceState().Flags, c.Flags) << c.Name;
        comm.ClosePort();
    }
}

TEST(PortControl, OpenFailureDetailGivesThePathTheReasonAndTheAdvice)
{
    struct Case {
        int Error;
        const char *Advice;
        const char *Detail;
    };
    const Case cases[] = {
        { ENXIO, "", "/dev/ttyS4：设备不存在" },
        { EPERM, "设备属主与权限：root:root 0600", "/dev/ttyS4：没有访问权限\n设备属主与权限：root:root 0600" },
        { EIO, "", "/dev/ttyS4：设备无法使用（输入输出错误）" },
        { 0, "", "/dev/ttyS4：无法打开" },
        { 1234, "", "/dev/ttyS4：无法打开（错误码 1234）" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(OpenFailureDetail("/dev/ttyS4", c.Error, c.Advice), c.Detail) << c.Error;

    // A remote port: its name holds the host, the reason is the connection's.
    const Case remote[] = {
        { ECONNREFUSED, "", "rfc2217://box:4001：连接被拒绝（该端口没有服务）" },
        { ETIMEDOUT, "", "rfc2217://box:4001：连接超时（5 秒内没有应答）" },
        { EHOSTUNREACH, "", "rfc2217://box:4001：无法到达主机（名称未知或网络不通）" },
        { EPROTO, "",
            "rfc2217://box:4001：服务器没有同意 RFC 2217 串口控制（COM-PORT-OPTION），它不像 RFC 2217 服务器；"
            "普通 TCP 端口请用 tcp://主机:端口" },
        { EPROTONOSUPPORT, "",
            "rfc2217://box:4001：服务器拒绝了 RFC 2217 串口控制（COM-PORT-OPTION）；普通 TCP 端口请用 "
            "tcp://主机:端口" },
    };
    for (const Case &c : remote)
        EXPECT_EQ(OpenFailureDetail("rfc2217://box:4001", c.Error, c.Advice), c.Detail) << c.Error;
}

struct TFakePort : TPortAccess {
    std::vector<std::string> Calls;
    bool FailClose = false;
    bool FailOpen = false;

    void ClosePort() override
    {
        Calls.push_back("close");
        if (FailClose)
            throw std::runtime_error("close");
    }
    TPortSettings ReadSettings() override
    {
        Calls.push_back("read");
        return {};
    }
    void ApplyChanges(const TPortLineChanges &) override { Calls.push_back("apply"); }
    void OpenPort() override
    {
        Calls.push_back("open");
        if (FailOpen)
            throw std::runtime_error("Error opening serial port");
    }
};

const TMessageBoxRequest OpenedBox { "串口打开成功", "提示", mbIconExclamation };
const TMessageBoxRequest OpenFailedBox { "串口打开失败，请检测串口是否被占用或者为无用串口", "提示",
    mbIconExclamation };
const TMessageBoxRequest ClosedBox { "串口关闭成功", "提示", mbIconExclamation };
const TMessageBoxRequest LostBox { "串口已断开", "提示", mbIconExclamation };

TEST(PortControl, OpenClosesFirstIgnoringFailuresAndCloseReportsBothWays)
{
    TMessageBoxRecorder boxes;
    TFakePort port;
    port.FailClose = true;
    EXPECT_TRUE(OpenPortFromSettings(port));
    EXPECT_EQ(port.Calls, (std::vector<std::string> { "close", "read", "apply", "open" }));
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { OpenedBox }));

    boxes.Boxes.clear();
    ClosePortAndReport(port);
    port.FailClose = false;
    ClosePortAndReport(port);
    EXPECT_EQ(boxes.Boxes, (std::vector<TMessageBoxRequest> { { "串口关闭失败", "提示", mbIconStop }, ClosedBox }));
}

// The real component on a pty, with a real settings file.
class PortControlOnPty : public ::testing::Test
{
protected:
    void WriteSettings(const std::string &keys)
    {
        // The section name is stored in GBK.
        std::ofstream(SettingsPath, std::ios::binary) << "[\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD]\r\n" << keys;
    }

    QTemporaryDir Dir;
    std::string SettingsPath = Dir.filePath(QStringLiteral("setfile.ini")).toStdString();
    TMessageBoxRecorder Boxes;
    TPty Pty { TPty::Raw };
    TComm Comm1;
};

TEST_F(PortControlOnPty, OpensThePortNamedInTheSettingsAndShowsItsValues)
{
    ASSERT_TRUE(Pty.Valid());
    Comm1.SetCommName("COM1"); // as the main window keeps it before any open
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1)), (Texts { "COM1", "9600", "8", "无", "1" }));

    WriteSettings("commname=" + Pty.SlavePath
        + "\r\nbaudrate=115200\r\nbytesize=7\r\nparity=Even\r\nparitycheck=1\r\nstopbits=1.5\r\n");
    EXPECT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_TRUE(Comm1.IsOpen());
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { OpenedBox }));
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1)), (Texts { Pty.SlavePath, "115200", "7", "偶校验", "1.5" }));

    // Reopening closes first; data bits 9 keep 7, Even without checking keeps Even, 3 stop bits mean 1.5.
    WriteSettings("commname=" + Pty.SlavePath
        + "\r\nbaudrate=9600\r\nbytesize=9\r\nparity=Odd\r\nparitycheck=0\r\nstopbits=3\r\n");
    EXPECT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1)), (Texts { Pty.SlavePath, "9600", "7", "偶校验", "1.5" }));

    Boxes.Boxes.clear();
    ClosePortAndReport(Comm1);
    EXPECT_FALSE(Comm1.IsOpen());
    ClosePortAndReport(Comm1); // closing a closed port reports success too
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { ClosedBox, ClosedBox }));
}

TEST_F(PortControlOnPty, FlowControlBytesReachTheReceiverUnlessXonXoffIsChosen)
{
    ASSERT_TRUE(Pty.Valid());
    std::string received;
    Comm1.OnReceiveData
        = [&received](TComm *, const char *buffer, uint16_t length) { received.append(buffer, length); };
    const std::string bytes = "A\x11"
                              "B\x13"
                              "C\r\n";
    struct Case {
        const char *Name;
        std::string Keys;
        std::string Expected;
    };
    const std::string extensionSection = "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\n"; // "扩展设置" in GBK
    const Case cases[] = {
        { "nothing chosen", "", bytes },
        { "none", extensionSection + "flow=none\r\n", bytes },
        { "XON/XOFF", extensionSection + "flow=xonxoff\r\n", "ABC\r\n" },
    };
    for (const Case &c : cases) {
        WriteSettings("commname=" + Pty.SlavePath + "\r\n" + c.Keys);
        ASSERT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
        received.clear();
        Pty.Write(bytes);
        EXPECT_TRUE(WaitUntil([&] { return received.size() >= c.Expected.size() && received.back() == '\n'; }))
            << c.Name;
        EXPECT_EQ(received, c.Expected) << c.Name;
        Comm1.ClosePort();
    }
}

TEST_F(PortControlOnPty, SwitchingXonXoffToNoneLetsTheBytesThroughAtOnceAndAtTheNextOpen)
{
    ASSERT_TRUE(Pty.Valid());
    std::string received;
    Comm1.OnReceiveData
        = [&received](TComm *, const char *buffer, uint16_t length) { received.append(buffer, length); };
    const std::string bytes = "A\x11"
                              "B\x13"
                              "C\r\n";
    const auto receive = [&](const std::string &expected) {
        received.clear();
        Pty.Write(bytes);
        EXPECT_TRUE(WaitUntil([&] { return !received.empty() && received.back() == '\n'; }));
        EXPECT_EQ(received, expected);
    };
    WriteSettings("commname=" + Pty.SlavePath + "\r\n[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\nflow=xonxoff\r\n");
    EXPECT_TRUE(FlowTakesXonXoffBytes(Comm1, SettingsPath)) << "closed: as the file will open it";
    ASSERT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_TRUE(FlowTakesXonXoffBytes(Comm1, SettingsPath));
    receive("ABC\r\n");

    EXPECT_TRUE(SwitchFlowControlToNone(Comm1, SettingsPath));
    EXPECT_FALSE(FlowTakesXonXoffBytes(Comm1, SettingsPath));
    receive(bytes);
    EXPECT_EQ(ReadFlowControl(SettingsPath), TFlowControl::None);

    Comm1.ClosePort();
    EXPECT_FALSE(FlowTakesXonXoffBytes(Comm1, SettingsPath));
    ASSERT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    receive(bytes);
    Comm1.ClosePort();

    // A settings file that refuses the write: the switch says so.
    const std::string unwritable = Dir.filePath(QStringLiteral("missing/setfile.ini")).toStdString();
    EXPECT_FALSE(SwitchFlowControlToNone(Comm1, unwritable));
}

TEST_F(PortControlOnPty, AMissingDeviceFailsAndLeavesThePortClosed)
{
    const std::string missing = Dir.filePath(QStringLiteral("no-such-tty")).toStdString();
    WriteSettings("commname=" + missing + "\r\n");
    EXPECT_FALSE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_FALSE(Comm1.IsOpen());
    EXPECT_EQ(Boxes.Boxes,
        (std::vector<TMessageBoxRequest> {
            { OpenFailedBox.Text + "\n" + missing + "：设备不存在", OpenFailedBox.Caption, OpenFailedBox.Flags } }));
}

TEST_F(PortControlOnPty, TheFailureBoxNamesTheDeviceAndTheReasonTheOpenGave)
{
    ASSERT_TRUE(Pty.Valid());
    TComm holder;
    holder.SetCommName(Pty.SlavePath);
    holder.OpenPort();
    const std::string regular = Dir.filePath(QStringLiteral("plain-file")).toStdString();
    std::ofstream(regular) << "x";

    struct Case {
        std::string Name; // commname in the settings file
        std::string Detail;
    };
    const Case cases[] = {
        { Pty.SlavePath, Pty.SlavePath + "：设备忙（已被其他程序占用）" },
        { regular, regular + "：不是串口设备" },
        { Dir.path().toStdString(), Dir.path().toStdString() + "：不是串口设备" },
    };
    for (const Case &c : cases) {
        WriteSettings("commname=" + c.Name + "\r\n");
        Boxes.Boxes.clear();
        EXPECT_FALSE(OpenPortFromSettings(Comm1, SettingsPath));
        EXPECT_EQ(Boxes.Texts(), std::vector<std::string> { OpenFailedBox.Text + "\n" + c.Detail });
    }
    holder.ClosePort();
}

TEST_F(PortControlOnPty, ARemotePortFromTheSettingsOpensAndARefusedOneNamesItsHost)
{
    if (!TSer2Net::Available())
        GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
    TSer2Net server(Pty.SlavePath, TSer2Net::Rfc2217);
    ASSERT_TRUE(server.Start());
    WriteSettings("commname=" + server.PortName() + "\r\nbaudrate=115200\r\n");
    EXPECT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1))[0], server.PortName());
    Comm1.ClosePort();

    server.Stop();
    Boxes.Boxes.clear();
    EXPECT_FALSE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_EQ(Boxes.Texts(),
        std::vector<std::string> { OpenFailedBox.Text + "\n" + server.PortName() + "：连接被拒绝（该端口没有服务）" });
}

TEST_F(PortControlOnPty, ARefusedDeviceGetsItsOwnerAndModeInTheFailureBox)
{
    // The system refuses the open with EACCES (as it would for another user); the advice comes from the device file.
    const std::string device = Dir.filePath(QStringLiteral("ttyUSB9")).toStdString();
    std::ofstream(device) << "";
    ASSERT_EQ(::chmod(device.c_str(), 0600), 0);
    TComm refused(nullptr, [](const std::string &) { return TSerialOpenResult { nullptr, EACCES }; });
    WriteSettings("commname=" + device + "\r\n");
    EXPECT_FALSE(OpenPortFromSettings(refused, SettingsPath));

    const std::string owner = ::getpwuid(::geteuid())->pw_name;
    const std::string group = ::getgrgid(::getegid())->gr_name;
    EXPECT_EQ(Boxes.Texts(),
        std::vector<std::string> {
            OpenFailedBox.Text + "\n" + device + "：没有访问权限\n设备属主与权限：" + owner + ":" + group + " 0600" });
}

TEST_F(PortControlOnPty, APortGivenForThisRunOpensInsteadOfTheFileUntilTheUserSaves)
{
    ASSERT_TRUE(Pty.Valid());
    const std::string missing = Dir.filePath(QStringLiteral("no-such-tty")).toStdString();
    WriteSettings("commname=" + missing + "\r\nbaudrate=115200\r\n");
    std::ifstream before(SettingsPath, std::ios::binary);
    const std::string fileBefore((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());

    SetPortForThisRun(Pty.SlavePath);
    EXPECT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1))[0], Pty.SlavePath);
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1))[1], "115200") << "the other values still come from the file";
    std::ifstream after(SettingsPath, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), fileBefore);

    // Saving in the settings window names the port from then on.
    SavePortSettings(SettingsPath, { missing, "9600", "8", "无", "否", "1" });
    EXPECT_EQ(PortForThisRun(), "");
    EXPECT_FALSE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_EQ(Comm1.CommName(), missing);
    SetPortForThisRun({});
}

TEST_F(PortControlOnPty, AVanishedDeviceClosesThePortWithOneBoxAndTheNextOpenWorks)
{
    ASSERT_TRUE(Pty.Valid());
    Comm1.OnRequestHangup = [this](TComm *) { ClosePortOnHangup(Comm1); };
    WriteSettings("commname=" + Pty.SlavePath + "\r\n");
    ASSERT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    Boxes.Boxes.clear();
    // A hang-up that arrives while the box is up (its event loop runs) adds no box.
    Boxes.OnShow = [this](const TMessageBoxRequest &) { ClosePortOnHangup(Comm1); };

    Pty.CloseMaster();
    Comm1.SendData("x", 1); // the send thread meets the vanished device as well
    ASSERT_TRUE(WaitUntil([&] { return !Boxes.Boxes.empty(); }));
    PumpFor(300ms);
    EXPECT_FALSE(Comm1.IsOpen());
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { LostBox }));
    EXPECT_EQ(PortInfoTexts(PortInfoOf(Comm1))[0], Pty.SlavePath);

    // A hang-up that finds the port closed says nothing.
    ClosePortOnHangup(Comm1);
    EXPECT_EQ(Boxes.Boxes.size(), 1u);

    Boxes.OnShow = nullptr;
    Boxes.Boxes.clear();
    TPty replacement { TPty::Raw };
    WriteSettings("commname=" + replacement.SlavePath + "\r\n");
    EXPECT_TRUE(OpenPortFromSettings(Comm1, SettingsPath));
    EXPECT_TRUE(Comm1.IsOpen());
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { OpenedBox }));
    Comm1.ClosePort();
}

} // namespace
