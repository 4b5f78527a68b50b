#include "platform/SerialPosix2.h"

#include <asm/termbits.h>
#include <cstring>
#include <sys/ioctl.h>

bool ReadSerialLineConfig(int fd, TSerialLineConfig &config)
{
    termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    config.BaudRate = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        config.DataBits = 5;
        break;
    case CS6:
        config.DataBits = 6;
        break;
    case CS7:
        config.DataBits = 7;
        break;
    default:
        config.DataBits = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        config.Parity = 0;
    else if (t.c_cflag & CMSPAR)
        config.Parity = (t.c_cflag & PARODD) ? 3 : 4;
    else
        config.Parity = (t.c_cflag & PARODD) ? 1 : 2;
    config.TwoStopBits = (t.c_cflag & CSTOPB) != 0;
    config.CheckParity = (t.c_iflag & INPCK) != 0;
    config.RtsCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    config.XonXoffOut = (t.c_iflag & IXON) != 0;
    config.XonXoffIn = (t.c_iflag & IXOFF) != 0;
    config.XonChar = t.c_cc[VSTART];
    config.XoffChar = t.c_cc[VSTOP];
    return true;
}

bool WriteSerialLineConfig(int fd, const TSerialLineConfig &config)
{
    termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;

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
    t.c_ispeed = config.BaudRate;
    t.c_ospeed = config.BaudRate;
    static const tcflag_t sizes[] = { CS5, CS6, CS7, CS8 };
    t.c_cflag |= sizes[(config.DataBits >= 5 && config.DataBits <= 8 ? config.DataBits : 8) - 5];
    switch (config.Parity) {
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
    if (config.TwoStopBits)
        t.c_cflag |= CSTOPB;
    if (config.RtsCtsFlow)
        t.c_cflag |= CRTSCTS;
    // With checking on, the driver delivers a byte received with a parity or framing error as 0; it drops none.
    if (config.CheckParity)
        t.c_iflag |= INPCK;
    if (config.XonXoffOut)
        t.c_iflag |= IXON;
    if (config.XonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = config.XonChar;
    t.c_cc[VSTOP] = config.XoffChar;
    return ioctl(fd, TCSETS2, &t) == 0;
}

bool SaveTerminalState(int fd, TSavedTerminalState &state)
{
    static_assert(sizeof(termios2) <= sizeof(state.Bytes));
    termios2 t {};
    state.Valid = ioctl(fd, TCGETS2, &t) == 0;
    if (state.Valid)
        std::memcpy(state.Bytes, &t, sizeof t);
    return state.Valid;
}

bool RestoreTerminalState(int fd, const TSavedTerminalState &state)
{
    if (!state.Valid)
        return false;
    termios2 t {};
    std::memcpy(&t, state.Bytes, sizeof t);
    return ioctl(fd, TCSETS2, &t) == 0;
}
