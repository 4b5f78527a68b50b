#include "console/PortControl.h"

#include "core/IntToStr.h"
#include "core/MessageBox.h"

TPortLineChanges MapPortSettings(const TPortFileSettings &settings)
{
    TPortLineChanges changes;
    changes.CommName = settings.CommName;
    changes.BaudRate = static_cast<uint32_t>(settings.BaudRate);
    switch (settings.ByteSize) {
    case 5:
        changes.ByteSize = TPortByteSize::_5;
        break;
    case 6:
        changes.ByteSize = TPortByteSize::_6;
        break;
    case 7:
        changes.ByteSize = TPortByteSize::_7;
        break;
    case 8:
        changes.ByteSize = TPortByteSize::_8;
        break;
    default:
        break;
    }
    changes.ParityCheck = settings.ParityCheck;
    if (changes.ParityCheck) {
        const std::string &word = settings.Parity;
        if (word == "Even")
            changes.Parity = TPortParity::Even;
        else if (word == "Mark")
            changes.Parity = TPortParity::Mark;
        else if (word == "Odd")
            changes.Parity = TPortParity::Odd;
        else if (word == "Space")
            changes.Parity = TPortParity::Space;
        else
            changes.Parity = TPortParity::None;
    }
    // Compared as 32-bit floats: only exactly 1 or 2 name those; every other value means one and a half.
    float stopBits = static_cast<float>(settings.StopBits);
    if (stopBits == 1.0f)
        changes.StopBits = TPortStopBits::_1;
    else if (stopBits == 2.0f)
        changes.StopBits = TPortStopBits::_2;
    else
        changes.StopBits = TPortStopBits::_1_5;
    return changes;
}

std::array<std::string, 5> PortInfoTexts(const TPortInfo &info)
{
    std::string byteSize = "8";
    if (info.ByteSize == TPortByteSize::_5)
        byteSize = "5";
    else if (info.ByteSize == TPortByteSize::_6)
        byteSize = "6";
    else if (info.ByteSize == TPortByteSize::_7)
        byteSize = "7";

    std::string parity = "无";
    switch (info.Parity) {
    case TPortParity::Even:
        parity = "偶校验";
        break;
    case TPortParity::Odd:
        parity = "奇校验";
        break;
    case TPortParity::Mark:
        parity = "标记";
        break;
    case TPortParity::Space:
        parity = "空格";
        break;
    case TPortParity::None:
        break;
    }

    std::string stopBits = "1";
    if (info.StopBits == TPortStopBits::_1_5)
        stopBits = "1.5";
    else if (info.StopBits == TPortStopBits::_2)
        stopBits = "2";

    return { info.CommName, IntToStr(info.BaudRate), byteSize, parity, stopBits };
}

bool OpenPortFromSettings(TPortAccess &port)
{
    try {
        port.ClosePort();
    } catch (...) {
    }
    try {
        TPortFileSettings settings = port.ReadSettings();
        port.ApplyChanges(MapPortSettings(settings));
        port.OpenPort();
    } catch (...) {
        ShowMessageBox("串口打开失败，请检测串口是否被占用或者为无用串口", "提示", mbIconExclamation);
        return false;
    }
    ShowMessageBox("串口打开成功", "提示", mbIconExclamation);
    return true;
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
