// SPDX-License-Identifier: GPL-3.0-or-later
// Uses the kernel's termios2 record, so this file must not include <termios.h>.
#include "platform/Termios2LineConfig.h"

#include <gtest/gtest.h>

namespace
{

constexpr tcflag_t LineCFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t LineIFlags = INPCK | IXON | IXOFF;

TEST(Termios2LineConfig, LineSettingsInTheDriverRecord)
{
    struct TCase {
        const char *Name;
        TSerialLineConfig Line;
        tcflag_t CFlags; // of LineCFlags
        tcflag_t IFlags; // of LineIFlags
        bool ReadsBack = true; // the record gives the same line configuration back
    };
    const TCase cases[] = {
        { "8 data bits, no parity, 1 stop bit", {}, CS8, 0 },
        { "7 data bits, even parity", { .DataBits = 7, .Parity = 2 }, CS7 | PARENB, 0 },
        { "odd parity", { .Parity = 1 }, CS8 | PARENB | PARODD, 0 },
        { "mark parity", { .Parity = 3 }, CS8 | PARENB | PARODD | CMSPAR, 0 },
        { "space parity", { .Parity = 4 }, CS8 | PARENB | CMSPAR, 0 },
        { "5 data bits, two stop bits", { .DataBits = 5, .TwoStopBits = true }, CS5 | CSTOPB, 0 },
        { "6 data bits", { .DataBits = 6 }, CS6, 0 },
        { "RTS/CTS flow", { .RtsCtsFlow = true }, CS8 | CRTSCTS, 0 },
        { "parity checking", { .Parity = 2, .CheckParity = true }, CS8 | PARENB, INPCK },
        { "XON/XOFF both ways", { .XonXoffOut = true, .XonXoffIn = true }, CS8, IXON | IXOFF },
        { "XON/XOFF on output only", { .XonXoffOut = true }, CS8, IXON },
        { "XON/XOFF on input only", { .XonXoffIn = true }, CS8, IXOFF },
        { "nine data bits become 8", { .DataBits = 9 }, CS8, 0, false },
        { "an unknown parity becomes none", { .Parity = 7 }, CS8, 0, false },
    };
    for (const TCase &row : cases) {
        SCOPED_TRACE(row.Name);
        termios2 t = RawTermios2({}, row.Line);
        EXPECT_EQ(t.c_cflag & LineCFlags, row.CFlags);
        EXPECT_EQ(t.c_iflag & LineIFlags, row.IFlags);
        EXPECT_EQ(t.c_cc[VSTART], row.Line.XonChar);
        EXPECT_EQ(t.c_cc[VSTOP], row.Line.XoffChar);
        if (row.ReadsBack) {
            EXPECT_EQ(LineConfigOfTermios2(t), row.Line);
        }
    }
}

TEST(Termios2LineConfig, AnyBaudRateGoesThroughBother)
{
    for (uint32_t rate : { 50u, 9600u, 115200u, 123456u, 3000000u }) {
        SCOPED_TRACE(rate);
        termios2 current {};
        current.c_cflag = B9600 | (B9600 << IBSHIFT) | CS8;
        TSerialLineConfig line { .BaudRate = rate, .XonChar = 1, .XoffChar = 0xFE };
        termios2 t = RawTermios2(current, line);
        // The rate is in the speed fields, not in the old baud bits of either direction.
        EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ(t.c_cflag & CIBAUD, 0u);
        EXPECT_EQ(t.c_ispeed, rate);
        EXPECT_EQ(t.c_ospeed, rate);
        EXPECT_EQ(LineConfigOfTermios2(t), line);
    }
}

TEST(Termios2LineConfig, LineModeRecordBecomesRaw)
{
    // A terminal as a login line leaves it: line editing, echo, signals, CR/LF translation, output processing,
    // the receiver off, modem control on, and a line configuration this program does not want.
    termios2 cooked {};
    cooked.c_iflag = ICRNL | IXANY | BRKINT | IMAXBEL | ISTRIP | IGNPAR | PARMRK | IXON;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN;
    cooked.c_cflag = B38400 | CS7 | PARENB | CSTOPB | CRTSCTS | HUPCL;
    cooked.c_cc[VINTR] = 3;
    cooked.c_cc[VMIN] = 0;
    cooked.c_cc[VTIME] = 5;

    termios2 raw = RawTermios2(cooked, {});
    EXPECT_EQ(raw.c_iflag, 0u);
    EXPECT_EQ(raw.c_oflag, static_cast<tcflag_t>(ONLCR)); // without OPOST it does nothing
    EXPECT_EQ(raw.c_lflag, static_cast<tcflag_t>(ECHOE)); // without ICANON it does nothing
    EXPECT_EQ(raw.c_cflag, static_cast<tcflag_t>(BOTHER | CS8 | CREAD | CLOCAL | HUPCL));
    // A read is ready with one byte and has no timer of its own; other control characters stay.
    EXPECT_EQ(raw.c_cc[VMIN], 1);
    EXPECT_EQ(raw.c_cc[VTIME], 0);
    EXPECT_EQ(raw.c_cc[VINTR], 3);
}

} // namespace
