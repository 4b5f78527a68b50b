// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Termios2LineConfig.h"

termios2 RawTermios2(const termios2 &current, const TSerialLineConfig &line)
{
    termios2 t = current;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR
        | IUCLC | IMAXBEL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // One byte makes a read ready; with a non-blocking descriptor an empty read is then EAGAIN, never 0, so a 0
    // stays the sign of a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    t.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | BOTHER;
    t.c_ispeed = line.BaudRate;
    t.c_ospeed = line.BaudRate;
    static const tcflag_t sizes[] = { CS5, CS6, CS7, CS8 };
    t.c_cflag |= sizes[(line.DataBits >= 5 && line.DataBits <= 8 ? line.DataBits : 8) - 5];
    switch (line.Parity) {
    case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (line.TwoStopBits)
        t.c_cflag |= CSTOPB;
    if (line.RtsCtsFlow)
        t.c_cflag |= CRTSCTS;
    // With checking on, the driver delivers a byte received with a parity or framing error as 0; it drops none.
    if (line.CheckParity)
        t.c_iflag |= INPCK;
    if (line.XonXoffOut)
        t.c_iflag |= IXON;
    if (line.XonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = line.XonChar;
    t.c_cc[VSTOP] = line.XoffChar;
    return t;
}

TSerialLineConfig LineConfigOfTermios2(const termios2 &t)
{
    TSerialLineConfig line;
    line.BaudRate = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        line.DataBits = 5;
        break;
    case CS6:
        line.DataBits = 6;
        break;
    case CS7:
        line.DataBits = 7;
        break;
    default:
        line.DataBits = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        line.Parity = 0;
    else if (t.c_cflag & CMSPAR)
        line.Parity = (t.c_cflag & PARODD) ? 3 : 4;
    else
        line.Parity = (t.c_cflag & PARODD) ? 1 : 2;
    line.TwoStopBits = (t.c_cflag & CSTOPB) != 0;
    line.CheckParity = (t.c_iflag & INPCK) != 0;
    line.RtsCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    line.XonXoffOut = (t.c_iflag & IXON) != 0;
    line.XonXoffIn = (t.c_iflag & IXOFF) != 0;
    line.XonChar = t.c_cc[VSTART];
    line.XoffChar = t.c_cc[VSTOP];
    return line;
}
