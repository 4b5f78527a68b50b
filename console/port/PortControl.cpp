// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/port/PortControl.h"

#include "console/port/PortOpenFailure.h"
#include "core/IntToStr.h"
#include "core/MessageBox.h"
#include "platform/PortPermission.h"
#include "platform/SerialPortName.h"

#include <cerrno>
#include <cstdio>
#include <optional>

namespace
{

class TCommPortAccess : public TPortAccess
{
public:
    TCommPortAccess(TComm &comm, std::string settingsPath)
        : FComm(comm)
        , FSettingsPath(std::move(settingsPath))
    {
    }

    void ClosePort() override { FComm.ClosePort(); }
    TPortSettings ReadSettings() override
    {
        FFlow = ReadFlowControl(FSettingsPath);
        return WithPortForThisRun(ReadPortSettings(FSettingsPath));
    }
    void ApplyChanges(const TPortLineChanges &changes) override
    {
        ApplyPortChanges(FComm, changes);
        ApplyFlowControl(FComm, FFlow);
    }

    void OpenPort() override { FComm.OpenPort(); }

    // The reason is the one the component kept from the open itself. A refused permission also gets its advice on
    // standard error, for a start from a terminal.
    std::string OpenFailureDetail() override
    {
        const std::string path = SerialDevicePath(FComm.CommName());
        const int error = FComm.OpenError();
        std::string advice;
        if (error == EACCES || error == EPERM) {
            if (std::optional<TDeviceAccess> access = DeviceAccessOf(path)) {
                TPortPermissionAdvice permission = AdvisePortPermission(*access);
                advice = PortPermissionBoxLine(permission);
                std::fprintf(stderr, "%s\n", PortPermissionHintText(path, permission).c_str());
            }
        }
        return ::OpenFailureDetail(path, error, advice);
    }

private:
    TComm &FComm;
    std::string FSettingsPath;
    TFlowControl FFlow = TFlowControl::None;
};

} // namespace

TPortLineChanges MapPortSettings(const TPortSettings &settings)
{
    TPortLineChanges changes;
    changes.CommName = settings.CommName;
    changes.BaudRate = static_cast<uint32_t>(settings.BaudRate);
    switch (settings.ByteSize) {
    case 5:
        changes.ByteSize = TByteSize::_5;
        break;
    case 6:
        changes.ByteSize = TByteSize::_6;
        break;
    case 7:
        changes.ByteSize = TByteSize::_7;
        break;
    case 8:
        changes.ByteSize = TByteSize::_8;
        break;
    default:
        break;
    }
    changes.ParityCheck = settings.ParityCheck;
    if (changes.ParityCheck) {
        const std::string &word = settings.Parity;
        if (word == "Even")
            changes.Parity = TParity::Even;
        else if (word == "Mark")
            changes.Parity = TParity::Mark;
        else if (word == "Odd")
            changes.Parity = TParity::Odd;
        else if (word == "Space")
            changes.Parity = TParity::Space;
        else
            changes.Parity = TParity::None;
    }
    // Compared as 32-bit floats: only exactly 1 or 2 name those; every other value means one and a half.
    float stopBits = static_cast<float>(settings.StopBits);
    if (stopBits == 1.0f)
        changes.StopBits = TStopBits::_1;
    else if (stopBits == 2.0f)
        changes.StopBits = TStopBits::_2;
    else
        changes.StopBits = TStopBits::_1_5;
    return changes;
}

void ApplyPortChanges(TComm &comm, const TPortLineChanges &changes)
{
    comm.SetCommName(changes.CommName);
    comm.SetBaudRate(changes.BaudRate);
    if (changes.ByteSize)
        comm.SetByteSize(*changes.ByteSize);
    comm.SetParityCheck(changes.ParityCheck);
    if (changes.Parity)
        comm.SetParity(*changes.Parity);
    comm.SetStopBits(changes.StopBits);
}

void ApplyFlowControl(TComm &comm, TFlowControl flow)
{
    const bool xonXoff = flow == TFlowControl::XonXoff;
    const bool rtsCts = flow == TFlowControl::RtsCts;
    comm.SetOutx_XonXoffFlow(xonXoff);
    comm.SetInx_XonXoffFlow(xonXoff);
    comm.SetOutx_CtsFlow(rtsCts);
    if (rtsCts)
        comm.SetRtsControl(TRtsControl::RtsHandshake);
    else if (comm.RtsControl() == TRtsControl::RtsHandshake)
        comm.SetRtsControl(TRtsControl::RtsEnable);
}

bool FlowTakesXonXoffBytes(const TComm &comm, const std::string &settingsPath)
{
    // Receiving, it is the output side's X-on/X-off that takes the bytes: they pause and resume what is sent.
    if (comm.IsOpen())
        return comm.Outx_XonXoffFlow();
    return ReadFlowControl(settingsPath) == TFlowControl::XonXoff;
}

bool SwitchFlowControlToNone(TComm &comm, const std::string &settingsPath)
{
    if (comm.IsOpen())
        ApplyFlowControl(comm, TFlowControl::None);
    return WriteFlowControl(settingsPath, TFlowControl::None);
}

TPortInfo PortInfoOf(const TComm &comm)
{
    return TPortInfo { comm.CommName(), comm.BaudRate(), comm.ByteSize(), comm.Parity(), comm.StopBits() };
}

std::array<std::string, 5> PortInfoTexts(const TPortInfo &info)
{
    std::string byteSize = "8";
    if (info.ByteSize == TByteSize::_5)
        byteSize = "5";
    else if (info.ByteSize == TByteSize::_6)
        byteSize = "6";
    else if (info.ByteSize == TByteSize::_7)
        byteSize = "7";

    std::string parity = "无";
    switch (info.Parity) {
    case TParity::Even:
        parity = "偶校验";
        break;
    case TParity::Odd:
        parity = "奇校验";
        break;
    case TParity::Mark:
        parity = "标记";
        break;
    case TParity::Space:
        parity = "空格";
        break;
    case TParity::None:
        break;
    }

    std::string stopBits = "1";
    if (info.StopBits == TStopBits::_1_5)
        stopBits = "1.5";
    else if (info.StopBits == TStopBits::_2)
        stopBits = "2";

    return { info.CommName, IntToStr(info.BaudRate), byteSize, parity, stopBits };
}

std::string PortNameText(const std::string &commName, TPortCondition condition, const std::string &path)
{
    switch (condition) {
    case TPortCondition::WaitingForDevice:
        return "等待重连：" + path;
    case TPortCondition::SendPaused:
        return "发送被设备暂停（XOFF）";
    case TPortCondition::Normal:
        break;
    }
    return commName;
}

bool OpenPortFromSettings(TPortAccess &port)
{
    try {
        port.ClosePort();
    } catch (...) {
    }
    try {
        port.ApplyChanges(MapPortSettings(port.ReadSettings()));
        port.OpenPort();
    } catch (...) {
        std::string text = "串口打开失败，请检测串口是否被占用或者为无用串口";
        if (std::string detail = port.OpenFailureDetail(); !detail.empty())
            text += "\n" + detail;
        ShowMessageBox(text, "提示", mbIconExclamation);
        return false;
    }
    ShowMessageBox("串口打开成功", "提示", mbIconExclamation);
    return true;
}

bool OpenPortFromSettings(TComm &comm, const std::string &settingsPath)
{
    TCommPortAccess access(comm, settingsPath);
    return OpenPortFromSettings(access);
}

void ClosePortAndReport(TPortAccess &port)
{
    try {
        port.ClosePort();
    } catch (...) {
        ShowMessageBox("串口关闭失败", "提示", mbIconStop);
        return;
    }
    ShowMessageBox("串口关闭成功", "提示", mbIconExclamation);
}

void ClosePortAndReport(TComm &comm)
{
    TCommPortAccess access(comm, {});
    ClosePortAndReport(access);
}

void ClosePortOnHangup(TComm &comm)
{
    if (!comm.IsOpen())
        return;
    try {
        comm.ClosePort();
    } catch (...) {
    }
    ShowMessageBox("串口已断开", "提示", mbIconExclamation);
}
