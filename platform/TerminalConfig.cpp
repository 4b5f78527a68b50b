// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TerminalConfig.h"

#include "platform/Termios2LineConfig.h"

#include <cstring>
#include <sys/ioctl.h>

bool ReadSerialLineConfig(int fd, TSerialLineConfig &config)
{
    termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    config = LineConfigOfTermios2(t);
    return true;
}

bool WriteSerialLineConfig(int fd, const TSerialLineConfig &config)
{
    termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t = RawTermios2(t, config);
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
