// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/SerialComm.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

// Records every event a component raises, in order.
struct TEventLog {
    std::vector<std::string> Events; // "data", "error:<flags>", "modem:<bits>", "hangup", "empty"
    std::vector<std::string> Chunks;
    std::string Received;
    std::vector<TReadRun> Runs; // End counted over all that was received
    bool BlocksEndInZero = true;
    TComm *Sender = nullptr;

    explicit TEventLog(TComm &comm)
    {
        comm.OnReceiveData = [this](TComm *sender, const char *buffer, uint16_t length) {
            Sender = sender;
            BlocksEndInZero = BlocksEndInZero && buffer[length] == 0;
            Chunks.emplace_back(buffer, length);
            for (const TReadRun &run : sender->ReceivedRuns())
                Runs.push_back({ static_cast<uint32_t>(Received.size() + run.End), run.SteadyNs });
            Received.append(buffer, length);
            Events.push_back("data");
        };
        comm.OnReceiveError = [this](TComm *, uint32_t mask) { Events.push_back("error:" + std::to_string(mask)); };
        comm.OnModemStateChange = [this](TComm *, uint32_t bits) { Events.push_back("modem:" + std::to_string(bits)); };
        comm.OnRequestHangup = [this](TComm *) { Events.push_back("hangup"); };
        comm.OnSendDataEmpty = [this](TComm *) { Events.push_back("empty"); };
    }

    int Count(const std::string &event) const
    {
        int n = 0;
        for (const std::string &e : Events)
            n += e == event;
        return n;
    }
};
