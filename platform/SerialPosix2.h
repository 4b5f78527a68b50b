#pragma once

#include <cstdint>

// The part of a serial line's configuration that the terminal driver holds, in plain terms. Kept free of the
// system's termios headers: the calls below need the kernel's termios2 record (any baud rate), whose header cannot
// be included together with <termios.h>.
struct TSerialLineConfig {
    uint32_t BaudRate = 9600;
    unsigned DataBits = 8; // 5 to 8
    unsigned Parity = 0; // 0 none, 1 odd, 2 even, 3 mark, 4 space
    bool TwoStopBits = false;
    bool CheckParity = false; // mark received bytes with parity errors
    bool RtsCtsFlow = false;
    bool XonXoffOut = false; // stop sending on XoffChar, resume on XonChar
    bool XonXoffIn = false; // send XoffChar and XonChar as the input buffer fills and drains
    unsigned char XonChar = 17;
    unsigned char XoffChar = 19;
};

// Reads the driver's configuration of the terminal fd. False when fd is no terminal.
bool ReadSerialLineConfig(int fd, TSerialLineConfig &config);
// Puts the terminal in raw mode (no line editing, echo, signals or character translation; receiver on; modem
// status lines ignored for opening and hang-up) and applies config. False when the driver refused the request.
bool WriteSerialLineConfig(int fd, const TSerialLineConfig &config);

// A terminal's whole driver configuration as it was at one moment, kept to be put back later. The kernel's record
// (termios2, which carries any baud rate) is kept as bytes, for the header reason above.
struct TSavedTerminalState {
    alignas(8) unsigned char Bytes[64] {};
    bool Valid = false;
};

// Takes the configuration of the terminal fd. False when fd is no terminal.
bool SaveTerminalState(int fd, TSavedTerminalState &state);
// Puts a taken configuration back at once. False when there is none or the driver refused it (a vanished device).
bool RestoreTerminalState(int fd, const TSavedTerminalState &state);
