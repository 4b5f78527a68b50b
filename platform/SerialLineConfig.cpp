// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialLineConfig.h"

std::optional<TSerialLineConfig> LineConfigOfDcb(const TDeviceControlBlock &dcb)
{
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2)
        return std::nullopt;
    TSerialLineConfig line;
    line.BaudRate = dcb.BaudRate;
    line.DataBits = dcb.ByteSize;
    line.Parity = dcb.Parity;
    line.TwoStopBits = dcb.StopBits != 0; // 1.5 stop bits is only possible with 5 data bits; two is the nearest
    line.CheckParity = (dcb.Flags & DcbFlag::Parity) != 0;
    line.RtsCtsFlow = (dcb.Flags & DcbFlag::OutxCtsFlow) || DcbFlag::RtsControl(dcb.Flags) == RtsControlHandshake;
    line.XonXoffOut = (dcb.Flags & DcbFlag::OutX) != 0;
    line.XonXoffIn = (dcb.Flags & DcbFlag::InX) != 0;
    line.XonChar = static_cast<unsigned char>(dcb.XonChar);
    line.XoffChar = static_cast<unsigned char>(dcb.XoffChar);
    return line;
}

void MergeLineConfig(TDeviceControlBlock &dcb, const TSerialLineConfig &line)
{
    dcb.BaudRate = line.BaudRate;
    dcb.ByteSize = static_cast<uint8_t>(line.DataBits);
    dcb.Parity = static_cast<uint8_t>(line.Parity);
    if (!line.TwoStopBits)
        dcb.StopBits = 0;
    else if (dcb.StopBits == 0)
        dcb.StopBits = 2;
    auto setBit = [&dcb](uint32_t bit, bool on) { dcb.Flags = on ? (dcb.Flags | bit) : (dcb.Flags & ~bit); };
    setBit(DcbFlag::Parity, line.CheckParity);
    setBit(DcbFlag::OutX, line.XonXoffOut);
    setBit(DcbFlag::InX, line.XonXoffIn);
    dcb.XonChar = static_cast<char>(line.XonChar);
    dcb.XoffChar = static_cast<char>(line.XoffChar);
}

TModemLines ModemLinesOfDcb(const TDeviceControlBlock &dcb)
{
    TModemLines lines;
    lines.Dtr = DcbFlag::DtrControl(dcb.Flags) != DtrControlDisable;
    uint32_t rtsControl = DcbFlag::RtsControl(dcb.Flags);
    if (rtsControl != RtsControlHandshake)
        lines.Rts = rtsControl == RtsControlEnable;
    return lines;
}
