// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialLineConfig.h"

#include <gtest/gtest.h>

namespace
{

constexpr uint32_t DtrEnable = 1 << DcbFlag::DtrControlShift, DtrHandshake = 2 << DcbFlag::DtrControlShift;
constexpr uint32_t RtsEnable = 1 << DcbFlag::RtsControlShift, RtsHandshake = 2 << DcbFlag::RtsControlShift,
                   RtsToggle = 3 << DcbFlag::RtsControlShift;

TEST(SerialLineConfig, WhatARecordAsksOfTheDriver)
{
    struct TCase {
        const char *Name;
        TDeviceControlBlock Dcb;
        std::optional<TSerialLineConfig> Line; // none: the record is refused
    };
    const TCase cases[] = {
        { "the main window's settings", { .Flags = 0x1391 },
            TSerialLineConfig { .XonXoffOut = true, .XonXoffIn = true } },
        { "parity checking on", { .Flags = 0x1393, .Parity = 2 },
            TSerialLineConfig { .Parity = 2, .CheckParity = true, .XonXoffOut = true, .XonXoffIn = true } },
        { "any baud rate", { .BaudRate = 123456 }, TSerialLineConfig { .BaudRate = 123456 } },
        { "five data bits, mark parity", { .ByteSize = 5, .Parity = 3 },
            TSerialLineConfig { .DataBits = 5, .Parity = 3 } },
        { "space parity without checking", { .Parity = 4 }, TSerialLineConfig { .Parity = 4 } },
        { "1.5 stop bits become two", { .StopBits = 1 }, TSerialLineConfig { .TwoStopBits = true } },
        { "two stop bits", { .StopBits = 2 }, TSerialLineConfig { .TwoStopBits = true } },
        { "CTS output flow", { .Flags = DcbFlag::Binary | DcbFlag::OutxCtsFlow },
            TSerialLineConfig { .RtsCtsFlow = true } },
        { "RTS handshaking", { .Flags = DcbFlag::Binary | RtsHandshake }, TSerialLineConfig { .RtsCtsFlow = true } },
        { "RTS toggling is no flow control", { .Flags = DcbFlag::Binary | RtsToggle }, TSerialLineConfig {} },
        { "DSR flow and DTR handshaking have no counterpart",
            { .Flags = DcbFlag::Binary | DcbFlag::OutxDsrFlow | DtrHandshake | DcbFlag::DsrSensitivity },
            TSerialLineConfig {} },
        { "own flow characters, one above 127", { .Flags = 0x1391, .XonChar = '\x91', .XoffChar = 2 },
            TSerialLineConfig { .XonXoffOut = true, .XonXoffIn = true, .XonChar = 0x91, .XoffChar = 2 } },
        { "baud rate 0", { .BaudRate = 0 }, std::nullopt },
        { "four data bits", { .ByteSize = 4 }, std::nullopt },
        { "nine data bits", { .ByteSize = 9 }, std::nullopt },
        { "parity beyond space", { .Parity = 5 }, std::nullopt },
        { "stop bits beyond two", { .StopBits = 3 }, std::nullopt },
    };
    for (const TCase &row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(LineConfigOfDcb(row.Dcb), row.Line);
    }
}

TEST(SerialLineConfig, DriverViewMergesIntoTheRecord)
{
    struct TCase {
        const char *Name;
        TDeviceControlBlock Before;
        TSerialLineConfig Line;
        TDeviceControlBlock After;
    };
    const TCase cases[] = {
        { "line fields replaced, the rest kept",
            { .BaudRate = 1200, .Flags = 0x80004001 | DtrEnable, .XonLim = 500, .ByteSize = 7, .EofChar = 26 },
            { .BaudRate = 115200,
                .Parity = 2,
                .CheckParity = true,
                .XonXoffOut = true,
                .XonXoffIn = true,
                .XonChar = 1,
                .XoffChar = 2 },
            { .BaudRate = 115200,
                .Flags = 0x80004001 | DtrEnable | DcbFlag::Parity | DcbFlag::OutX | DcbFlag::InX,
                .XonLim = 500,
                .ByteSize = 8,
                .Parity = 2,
                .XonChar = 1,
                .XoffChar = 2,
                .EofChar = 26 } },
        { "flags the driver does not have are cleared", { .Flags = 0x1393 }, {}, { .Flags = 0x1091 } },
        { "1.5 stop bits stay while the driver has two", { .StopBits = 1 }, { .TwoStopBits = true },
            { .StopBits = 1 } },
        { "two stop bits from one", { .StopBits = 0 }, { .TwoStopBits = true }, { .StopBits = 2 } },
        { "one stop bit from two", { .StopBits = 2 }, {}, { .StopBits = 0 } },
    };
    for (const TCase &row : cases) {
        SCOPED_TRACE(row.Name);
        TDeviceControlBlock dcb = row.Before;
        MergeLineConfig(dcb, row.Line);
        EXPECT_EQ(dcb, row.After);
    }
}

TEST(SerialLineConfig, ModemLinesSetByHand)
{
    struct TCase {
        const char *Name;
        uint32_t Flags;
        TModemLines Lines;
    };
    const TCase cases[] = {
        { "DTR and RTS enabled", DcbFlag::Binary | DtrEnable | RtsEnable, { true, true } },
        { "both disabled", DcbFlag::Binary, { false, false } },
        { "DTR handshaking keeps DTR up", DcbFlag::Binary | DtrHandshake, { true, false } },
        { "RTS handshaking leaves RTS to the driver", DcbFlag::Binary | DtrEnable | RtsHandshake,
            { true, std::nullopt } },
        { "RTS toggling rests with RTS down", DcbFlag::Binary | DtrEnable | RtsToggle, { true, false } },
    };
    for (const TCase &row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(ModemLinesOfDcb({ .Flags = row.Flags }), row.Lines);
    }
}

} // namespace
