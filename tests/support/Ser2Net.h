// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// The system's serial server (ser2net) run by a test: one connection on a free loopback port, with a pty's slave as
// its serial device and the modem-line stand-in preloaded. Either RFC 2217 (telnet) or a raw TCP byte stream.
class TSer2Net
{
public:
    enum TProtocol { Rfc2217, RawTcp };

    TSer2Net(std::string devicePath, TProtocol protocol);
    ~TSer2Net();
    TSer2Net(const TSer2Net &) = delete;
    TSer2Net &operator=(const TSer2Net &) = delete;

    // Whether ser2net is installed; tests skip with a message when it is not.
    static bool Available();

    // Starts the server (on the same port as before, when it ran already) and waits until it listens. False when it
    // could not be started or did not listen within a few seconds.
    bool Start();
    // Ends the server by its process id; its connections drop.
    void Stop();

    uint16_t Port() const { return FPort; }
    // The port's name for the program: "rfc2217://127.0.0.1:<port>" or "tcp://127.0.0.1:<port>".
    std::string PortName() const;

private:
    std::string FDevicePath;
    TProtocol FProtocol;
    uint16_t FPort = 0;
    pid_t FPid = -1;
};
