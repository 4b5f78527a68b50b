// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialEvent.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The device control block: a serial device's line configuration, field for field in the layout that the serial
// component reads, modifies and writes back. Flags holds the 32 one- and two-bit fields that follow BaudRate.
struct TDeviceControlBlock {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 9600;
    uint32_t Flags = 0x0001;
    uint16_t wReserved = 0;
    uint16_t XonLim = 2048;
    uint16_t XoffLim = 512;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    char XonChar = 17;
    char XoffChar = 19;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    uint16_t wReserved1 = 0;

    bool operator==(const TDeviceControlBlock &) const = default;
};

// Bits and fields of TDeviceControlBlock::Flags.
namespace DcbFlag
{
constexpr uint32_t Binary = 0x0001;
constexpr uint32_t Parity = 0x0002;
constexpr uint32_t OutxCtsFlow = 0x0004;
constexpr uint32_t OutxDsrFlow = 0x0008;
constexpr unsigned DtrControlShift = 4; // two bits: 0 disable, 1 enable, 2 handshake
constexpr uint32_t DsrSensitivity = 0x0040;
constexpr uint32_t TXContinueOnXoff = 0x0080;
constexpr uint32_t OutX = 0x0100;
constexpr uint32_t InX = 0x0200;
constexpr uint32_t ErrorChar = 0x0400;
constexpr uint32_t Null = 0x0800;
constexpr unsigned RtsControlShift = 12; // two bits: 0 disable, 1 enable, 2 handshake, 3 toggle
constexpr uint32_t AbortOnError = 0x4000;

constexpr uint32_t DtrControl(uint32_t flags)
{
    return (flags >> DtrControlShift) & 3;
}
constexpr uint32_t RtsControl(uint32_t flags)
{
    return (flags >> RtsControlShift) & 3;
}
} // namespace DcbFlag

constexpr uint8_t DtrControlDisable = 0, DtrControlEnable = 1, DtrControlHandshake = 2;
constexpr uint8_t RtsControlDisable = 0, RtsControlEnable = 1, RtsControlHandshake = 2, RtsControlToggle = 3;

// The five timeouts in milliseconds. A read waits for its first byte and then completes when ReadIntervalTimeout
// passes without a further byte, when the buffer is full, or at the latest 100 ms after its first byte (so that a
// steady stream is never held back; the rules are in platform/ReadTimeouts.h); a non-zero total (multiplier times size
// plus constant) bounds the whole read and may complete it with fewer bytes, even none. MAXDWORD as interval with both
// totals 0 makes a read return at once with what is there. Writes are bounded the same way by the two write totals.
struct TCommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const TCommTimeouts &) const = default;
};

constexpr uint32_t MaxDword = 0xFFFFFFFFu;

// Comm events a device can report to a comm-event wait.
constexpr uint32_t EvRlsd = 0x0020; // the receive-line-signal-detect (carrier) line changed
constexpr uint32_t EvErr = 0x0080; // a line error; the flags come from ClearCommError
constexpr uint32_t EvRing = 0x0100; // a ring was signalled

// Line error flags reported by ClearCommError.
constexpr uint32_t CeRxOver = 0x0001;
constexpr uint32_t CeOverrun = 0x0002;
constexpr uint32_t CeRxParity = 0x0004;
constexpr uint32_t CeFrame = 0x0008;
constexpr uint32_t CeBreak = 0x0010;

// PurgeComm flags.
constexpr uint32_t PurgeTxAbort = 0x0001;
constexpr uint32_t PurgeRxAbort = 0x0002;
constexpr uint32_t PurgeTxClear = 0x0004;
constexpr uint32_t PurgeRxClear = 0x0008;

// How a device operation ended. Pending means it goes on in the background; the device's wait reports its
// completion and the matching ...Result call collects it. InvalidHandle means the device is no longer usable for
// this caller (closed under it); Failed is every other failure, a vanished device included.
enum class TIoResult { Done, Pending, InvalidHandle, Failed };

// One run of a read: the bytes that one hand-over of the system brought, as they came out of the kernel. End is the
// count of the read's bytes up to and including this run; SteadyNs the moment it came, in nanoseconds of the steady
// clock (std::chrono::steady_clock).
struct TReadRun {
    uint32_t End = 0;
    int64_t SteadyNs = 0;
    bool operator==(const TReadRun &) const = default;
};

// Results of WaitReceive and WaitWrite besides the index of the completed item.
constexpr int SerialWaitFailed = -1;

// An open serial device. Three threads use one device at the same time, each through its own group of calls:
// - the owner (the user-interface thread): IsCharacterDevice, SetupComm, PurgeComm, Get/SetCommState,
//   Get/SetCommTimeouts;
// - the receive worker: SetCommMask, WaitCommEvent, ReadFile, WaitReceive, CommEventResult, ReadResult,
//   ClearCommError, PurgeComm;
// - the send worker: WriteFile, WaitWrite, WriteResult, PurgeComm.
// At most one read, one comm-event wait and one write are pending at a time. A pending operation keeps using the
// caller's buffer only inside the calls of the thread that started it, so a worker may release its buffer as soon
// as it stops calling the device. Destroying the device closes it; no call may be running then.
class TSerialDevice
{
public:
    virtual ~TSerialDevice() = default;

    virtual bool IsCharacterDevice() = 0;
    // Sets up the input and output buffers; false when the device is not a serial device.
    virtual bool SetupComm(uint32_t inputSize, uint32_t outputSize) = 0;
    // Clears the named buffers. The abort flags need no action of their own: pending operations end when their
    // worker's wait sees the close event.
    virtual bool PurgeComm(uint32_t flags) = 0;
    virtual bool GetCommState(TDeviceControlBlock &dcb) = 0;
    virtual bool SetCommState(const TDeviceControlBlock &dcb) = 0;
    virtual bool GetCommTimeouts(TCommTimeouts &timeouts) = 0;
    virtual bool SetCommTimeouts(const TCommTimeouts &timeouts) = 0;

    virtual bool SetCommMask(uint32_t mask) = 0;
    // Done: an event was waiting and mask holds it. Pending: WaitReceive will report 1 and CommEventResult gives
    // the mask (0 when the wait ended without a watched event).
    virtual TIoResult WaitCommEvent(uint32_t &mask) = 0;
    // Done: the read completed at once with count bytes. Pending: WaitReceive will report 2 and ReadResult gives
    // the count.
    virtual TIoResult ReadFile(char *buffer, uint32_t size, uint32_t &count) = 0;
    // Waits until the close event is set (0), the pending comm-event wait completed (1) or the pending read
    // completed (2), checked in that order; SerialWaitFailed when waiting itself failed.
    virtual int WaitReceive(const TSerialEvent &closeEvent) = 0;
    virtual TIoResult CommEventResult(uint32_t &mask) = 0;
    virtual TIoResult ReadResult(uint32_t &count) = 0;
    // The runs of the read that completed last (Done from ReadFile or ReadResult), in order, and forgets them. Empty
    // when the device does not tell its runs apart: the whole read is then one run at its completion.
    virtual std::vector<TReadRun> TakeReadRuns() { return {}; }
    // The line errors since the last call, cleared so that reading goes on.
    virtual TIoResult ClearCommError(uint32_t &errors) = 0;

    // Done: written bytes went out at once (possibly fewer than size). Pending: WaitWrite will report 1 and
    // WriteResult gives the count.
    virtual TIoResult WriteFile(const char *data, uint32_t size, uint32_t &written) = 0;
    // Waits until the close event is set (0) or the pending write completed (1); SerialWaitFailed on failure.
    // SerialWaitTimeout when timeoutMs (negative: no limit) passed first: the write is still pending then, and a
    // later WaitWrite goes on waiting for it.
    virtual int WaitWrite(const TSerialEvent &closeEvent, int timeoutMs) = 0;
    virtual TIoResult WriteResult(uint32_t &written) = 0;
};

// What opening a device gave: the device, or none and the system's reason (an errno value: ENOENT nothing by that
// name, EACCES not allowed, EBUSY held by another open, and so on).
struct TSerialOpenResult {
    std::unique_ptr<TSerialDevice> Device;
    int Error = 0;
};

// Opens a device by the component's port name, exclusively, for reading and writing.
using TSerialDeviceFactory = std::function<TSerialOpenResult(const std::string &portName)>;
