// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Calls of a simulated device that a test can make fail. Open makes the factory return no device, as for a name
// that names nothing (ENOENT); a second open while one is held gets EBUSY.
enum class TSimulatedCall {
    Open,
    CharacterDevice,
    SetupComm,
    SetCommMask,
    WaitCommEvent,
    CommEventResult,
    ReadFile,
    ReadResult,
    ClearCommError,
    WaitReceive,
    WriteFile,
    WaitWrite,
    WriteResult,
};

// One configuration call as the device saw it: the record read or written.
struct TSimulatedConfigCall {
    enum TKind { GetCommState, SetCommState, GetCommTimeouts, SetCommTimeouts };
    TKind Kind;
    TDeviceControlBlock Dcb;
    TCommTimeouts Timeouts;
};

struct TSimulatedLine;

// An in-memory serial line for tests. The test side scripts what the device receives (bytes, gaps, line errors,
// ring and carrier changes, a vanished device), shapes how writes complete (short, pending, held as by flow control,
// stalled in the driver) and makes chosen calls fail; it reads back every byte written and every configuration call.
// The devices made by Factory() share this line, one open at a time as a real port would. All members may be
// called from any thread.
class TSerialSimulator
{
public:
    TSerialSimulator();
    ~TSerialSimulator();
    TSerialSimulator(const TSerialSimulator &) = delete;
    TSerialSimulator &operator=(const TSerialSimulator &) = delete;

    TSerialDeviceFactory Factory() const;
    std::string LastPortName() const;
    // Devices made by the factory and not yet destroyed (closed).
    int OpenDevices() const;

    // Bytes that arrive `after` the previous scripted item (or after now, when nothing is waiting).
    void Receive(const std::string &bytes, std::chrono::milliseconds after = {});
    // A comm event with the given mask (0 makes a wait end without an event) and line errors for ClearCommError.
    void SignalCommEvent(uint32_t mask, uint32_t errors = 0, std::chrono::milliseconds after = {});
    // When off, reads and comm-event waits always go pending and complete through the wait, even with bytes or
    // events already there, so that their completions are collected in a known way.
    void CompleteAtOnce(bool atOnce);
    // Scripted bytes not yet taken by a read.
    bool ReceivePending() const;
    // From now on the line's time (script gaps, read timeouts) moves only by AdvanceClock. Each advance wakes the
    // receive worker and returns once it waits again with nothing to do at the new time (or after 2 s when no
    // worker waits), so that a test sees every completion the new time brings.
    void UseManualClock();
    void AdvanceClock(std::chrono::milliseconds by);
    // The device goes away: pending and later reads, waits and writes fail.
    void Vanish();

    std::string Written() const;
    // The byte count of each completed write, in order.
    std::vector<uint32_t> WriteSizes() const;
    // The next writes complete with at most these many bytes each.
    void LimitNextWrites(std::vector<uint32_t> limits);
    // Writes go pending and complete through the wait instead of at once.
    void SetWritesPending(bool pending);
    // While held, writes stay pending (flow control); a close request still ends the wait.
    void HoldWrites(bool hold);
    // While stalled, a write call does not return at all, close request or not (a driver stuck in a call).
    void StallWrites(bool stall);
    bool WriteIsStalled() const;

    void Fail(TSimulatedCall call, TIoResult result = TIoResult::Failed);
    void Restore(TSimulatedCall call);

    void SetDeviceState(const TDeviceControlBlock &dcb);
    TDeviceControlBlock DeviceState() const;
    TCommTimeouts DeviceTimeouts() const;
    void SetDeviceTimeouts(const TCommTimeouts &timeouts);
    std::vector<TSimulatedConfigCall> ConfigCalls() const;
    void ClearConfigCalls();

private:
    std::shared_ptr<TSimulatedLine> FLine;
};
