// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/CommsError.h"
#include "platform/SerialDevice.h"

#include <QObject>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TComm;
class TNotificationTarget;
class TNotificationWindow;
class TNotifyMessage;
class TReadThread;
class TWriteThread;

// Line settings. Each is stored in one byte; the ordinal is the enumerator's value.
enum class TParity : uint8_t { None, Odd, Even, Mark, Space };
enum class TStopBits : uint8_t { _1, _1_5, _2 };
enum class TByteSize : uint8_t { _5, _6, _7, _8 };
// The enabling settings come first (ordinal 0); on the device the disabling setting is 0 and enabling 1.
enum class TDtrControl : uint8_t { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl : uint8_t { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };

// Buffer holds BufferLength received bytes followed by one 0 byte; it is released when the handler returns.
using TReceiveDataEvent = std::function<void(TComm *Sender, const char *Buffer, uint16_t BufferLength)>;
// EventMask holds the line error flags (CeFrame and so on).
using TReceiveErrorEvent = std::function<void(TComm *Sender, uint32_t EventMask)>;
// ModemEvent holds ModemRing (4) and/or ModemCarrier (8).
using TModemStateChangeEvent = std::function<void(TComm *Sender, uint32_t ModemEvent)>;
using TCommNotifyEvent = std::function<void(TComm *Sender)>;
using TSendDataEmptyEvent = std::function<void(TComm *Sender)>;
// Held is true when a write has made no progress for SendHeldNoticeAfter (the device holds the line back, as with
// XOFF), false when that write has moved on again.
using TSendHeldEvent = std::function<void(TComm *Sender, bool Held)>;

// The serial port component. It opens the device named by CommName with its line settings and timeouts, runs a
// receive thread and a send thread while the port is open, and raises its events on the thread that created it
// (the user-interface thread, whose Qt event loop must run for events to arrive).
//
// Every member is called on the creating thread. A property setter does nothing when the value is unchanged;
// otherwise it stores the value and, while the port is open, applies it to the device at once (line settings
// through a full read-modify-write of the device control block, timeouts all five together). CommName and Parity
// are only stored: they take effect at the next OpenPort (Parity also at the next change of a line setting).
class TComm : public QObject
{
public:
    // The device factory opens the named device; by default the real serial devices of the system.
    explicit TComm(QObject *AOwner = nullptr, TSerialDeviceFactory DeviceFactory = {});
    // Stops the workers (closing the port) before anything they use goes away.
    ~TComm() override;

    const std::string &CommName() const { return FCommName; }
    void SetCommName(const std::string &Value) { FCommName = Value; }
    uint32_t BaudRate() const { return FBaudRate; }
    void SetBaudRate(uint32_t Value) { SetLine(FBaudRate, Value); }
    bool ParityCheck() const { return FParityCheck; }
    void SetParityCheck(bool Value) { SetLine(FParityCheck, Value); }
    bool Outx_CtsFlow() const { return FOutx_CtsFlow; }
    void SetOutx_CtsFlow(bool Value) { SetLine(FOutx_CtsFlow, Value); }
    bool Outx_DsrFlow() const { return FOutx_DsrFlow; }
    void SetOutx_DsrFlow(bool Value) { SetLine(FOutx_DsrFlow, Value); }
    TDtrControl DtrControl() const { return FDtrControl; }
    void SetDtrControl(TDtrControl Value) { SetLine(FDtrControl, Value); }
    bool DsrSensitivity() const { return FDsrSensitivity; }
    void SetDsrSensitivity(bool Value) { SetLine(FDsrSensitivity, Value); }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    void SetTxContinueOnXoff(bool Value) { SetLine(FTxContinueOnXoff, Value); }
    bool Outx_XonXoffFlow() const { return FOutx_XonXoffFlow; }
    void SetOutx_XonXoffFlow(bool Value) { SetLine(FOutx_XonXoffFlow, Value); }
    bool Inx_XonXoffFlow() const { return FInx_XonXoffFlow; }
    void SetInx_XonXoffFlow(bool Value) { SetLine(FInx_XonXoffFlow, Value); }
    bool ReplaceWhenParityError() const { return FReplaceWhenParityError; }
    void SetReplaceWhenParityError(bool Value) { SetLine(FReplaceWhenParityError, Value); }
    bool IgnoreNullChar() const { return FIgnoreNullChar; }
    void SetIgnoreNullChar(bool Value) { SetLine(FIgnoreNullChar, Value); }
    TRtsControl RtsControl() const { return FRtsControl; }
    void SetRtsControl(TRtsControl Value) { SetLine(FRtsControl, Value); }
    uint16_t XonLimit() const { return FXonLimit; }
    void SetXonLimit(uint16_t Value) { SetLine(FXonLimit, Value); }
    uint16_t XoffLimit() const { return FXoffLimit; }
    void SetXoffLimit(uint16_t Value) { SetLine(FXoffLimit, Value); }
    TByteSize ByteSize() const { return FByteSize; }
    void SetByteSize(TByteSize Value) { SetLine(FByteSize, Value); }
    TParity Parity() const { return FParity; }
    void SetParity(TParity Value) { FParity = Value; }
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits Value) { SetLine(FStopBits, Value); }
    char XonChar() const { return FXonChar; }
    void SetXonChar(char Value) { SetLine(FXonChar, Value); }
    char XoffChar() const { return FXoffChar; }
    void SetXoffChar(char Value) { SetLine(FXoffChar, Value); }
    char ReplacedChar() const { return FReplacedChar; }
    void SetReplacedChar(char Value) { SetLine(FReplacedChar, Value); }
    uint32_t ReadIntervalTimeout() const { return FReadIntervalTimeout; }
    void SetReadIntervalTimeout(uint32_t Value) { SetTimeout(FReadIntervalTimeout, Value); }
    uint32_t ReadTotalTimeoutMultiplier() const { return FReadTotalTimeoutMultiplier; }
    void SetReadTotalTimeoutMultiplier(uint32_t Value) { SetTimeout(FReadTotalTimeoutMultiplier, Value); }
    uint32_t ReadTotalTimeoutConstant() const { return FReadTotalTimeoutConstant; }
    void SetReadTotalTimeoutConstant(uint32_t Value) { SetTimeout(FReadTotalTimeoutConstant, Value); }
    uint32_t WriteTotalTimeoutMultiplier() const { return FWriteTotalTimeoutMultiplier; }
    void SetWriteTotalTimeoutMultiplier(uint32_t Value) { SetTimeout(FWriteTotalTimeoutMultiplier, Value); }
    uint32_t WriteTotalTimeoutConstant() const { return FWriteTotalTimeoutConstant; }
    void SetWriteTotalTimeoutConstant(uint32_t Value) { SetTimeout(FWriteTotalTimeoutConstant, Value); }

    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TCommNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;
    TSendHeldEvent OnSendHeld;

    // Opens, configures and starts the workers; throws ECommsError with the reason's fixed text. After a failure
    // the port is closed (or, when it was already open, unchanged).
    void OpenPort();
    // Stops both workers and closes the device; nothing when closed. Always returns: each worker gets at most
    // StopTimeout to end.
    void ClosePort();
    // Queues Count bytes (a copy) for the send thread. False when nothing was queued: port closed, send thread
    // ended, Count 0 or above 65535. True does not mean written.
    bool SendData(const char *Buffer, std::size_t Count);

    // The runs in which the block that OnReceiveData is handling arrived (TReadRun::End counts its bytes); empty
    // outside OnReceiveData or when the block came without them.
    const std::vector<TReadRun> &ReceivedRuns() const;

    // Why the last OpenPort failed, as the system said it when the device was opened: an errno value (ENOENT no such
    // device, EACCES not allowed, EBUSY held by another program, ...), ENOTTY when what opened is not a serial
    // device, 0 when the device opened (the last OpenPort succeeded or failed later, or none was made).
    int OpenError() const { return FOpenError; }

    // How many times OpenPort has opened the port: a change tells that the bytes received next come from a new
    // opening, however the port was opened.
    uint64_t Openings() const { return FOpenings; }

    // The port counts as open while the component holds a device.
    bool IsOpen() const { return FDevice != nullptr; }
    // True when no send request is outstanding.
    bool SendDataEmpty() const { return FSendDataEmptyFlag->load(); }
    // The hidden window that receives the workers' notifications.
    QObject *NotificationWindow() const;
    // The running send thread, or none (for posting it thread messages of other kinds).
    TWriteThread *WriteThread() const { return FWriteThread.get(); }
    // At most this many notifications wait undelivered: a worker with more to post waits until the window has taken
    // some (the device holds its data back meanwhile), or until the port is closed.
    void SetNotificationLimit(std::size_t Limit);
    std::chrono::milliseconds StopTimeout() const { return FStopTimeout; }
    void SetStopTimeout(std::chrono::milliseconds Timeout) { FStopTimeout = Timeout; }
    // How long a write may make no progress before OnSendHeld tells; taken at OpenPort.
    std::chrono::milliseconds SendHeldNoticeAfter() const { return FSendHeldNoticeAfter; }
    void SetSendHeldNoticeAfter(std::chrono::milliseconds After) { FSendHeldNoticeAfter = After; }

private:
    friend class TNotificationWindow;

    template <typename T> void SetLine(T &Field, T Value)
    {
        if (Field == Value)
            return;
        Field = Value;
        if (IsOpen())
            ApplyLineSettings();
    }
    void SetTimeout(uint32_t &Field, uint32_t Value)
    {
        if (Field == Value)
            return;
        Field = Value;
        if (IsOpen())
            ApplyTimeouts();
    }

    void ApplyLineSettings();
    void ApplyTimeouts();
    void StopReceiveThread();
    void StopSendThread();
    void Dispatch(const TNotifyMessage &Message);

    std::shared_ptr<TReadThread> FReadThread;
    std::shared_ptr<TWriteThread> FWriteThread;
    std::shared_ptr<TSerialDevice> FDevice;
    std::shared_ptr<TSerialEvent> FCloseEvent;
    std::shared_ptr<TNotificationTarget> FNotificationTarget;
    std::unique_ptr<TNotificationWindow> FNotificationWindow;
    std::shared_ptr<std::atomic<bool>> FSendDataEmptyFlag;
    TSerialDeviceFactory FDeviceFactory;
    std::chrono::milliseconds FStopTimeout { 10000 };
    std::chrono::milliseconds FSendHeldNoticeAfter { 2000 };
    const std::vector<TReadRun> *FReceivedRuns = nullptr; // while OnReceiveData runs
    int FOpenError = 0;
    uint64_t FOpenings = 0;

    std::string FCommName = "COM2";
    uint32_t FBaudRate = 9600;
    bool FParityCheck = false;
    bool FOutx_CtsFlow = false;
    bool FOutx_DsrFlow = false;
    TDtrControl FDtrControl = TDtrControl::DtrEnable;
    bool FDsrSensitivity = false;
    bool FTxContinueOnXoff = true;
    bool FOutx_XonXoffFlow = true;
    bool FInx_XonXoffFlow = true;
    bool FReplaceWhenParityError = false;
    bool FIgnoreNullChar = false;
    TRtsControl FRtsControl = TRtsControl::RtsEnable;
    uint16_t FXonLimit = 500;
    uint16_t FXoffLimit = 500;
    TByteSize FByteSize = TByteSize::_8;
    TParity FParity = TParity::None;
    TStopBits FStopBits = TStopBits::_1;
    char FXonChar = 17;
    char FXoffChar = 19;
    char FReplacedChar = 0;
    uint32_t FReadIntervalTimeout = 100;
    uint32_t FReadTotalTimeoutMultiplier = 0;
    uint32_t FReadTotalTimeoutConstant = 0;
    uint32_t FWriteTotalTimeoutMultiplier = 0;
    uint32_t FWriteTotalTimeoutConstant = 0;
};
