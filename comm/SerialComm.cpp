// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/SerialComm.h"

#include "comm/CommMessages.h"
#include "comm/NotificationTarget.h"
#include "comm/NotificationWindow.h"
#include "comm/NotifyMessage.h"
#include "comm/ReadThread.h"
#include "comm/WriteThread.h"
#include "platform/SerialDeviceOpen.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace
{
constexpr uint32_t DeviceBufferSize = 4096;
constexpr std::size_t MaxSendCount = 65535;

uint32_t DeviceDtrControl(TDtrControl value)
{
    switch (value) {
    case TDtrControl::DtrEnable:
        return DtrControlEnable;
    case TDtrControl::DtrHandshake:
        return DtrControlHandshake;
    case TDtrControl::DtrDisable:
        break;
    }
    return DtrControlDisable;
}

uint32_t DeviceRtsControl(TRtsControl value)
{
    switch (value) {
    case TRtsControl::RtsEnable:
        return RtsControlEnable;
    case TRtsControl::RtsHandshake:
        return RtsControlHandshake;
    case TRtsControl::RtsTransmissionAvailable:
        return RtsControlToggle;
    case TRtsControl::RtsDisable:
        break;
    }
    return RtsControlDisable;
}
} // namespace

TComm::TComm(QObject *AOwner, TSerialDeviceFactory DeviceFactory)
    : QObject(AOwner)
    , FNotificationTarget(std::make_shared<TNotificationTarget>())
    , FSendDataEmptyFlag(std::make_shared<std::atomic<bool>>(true))
    , FDeviceFactory(DeviceFactory ? std::move(DeviceFactory) : TSerialDeviceFactory(OpenSerialDevice))
{
    FNotificationWindow = std::make_unique<TNotificationWindow>(this, FNotificationTarget);
}

TComm::~TComm()
{
    ClosePort();
    FNotificationWindow.reset();
}

QObject *TComm::NotificationWindow() const
{
    return FNotificationWindow.get();
}

void TComm::SetNotificationLimit(std::size_t Limit)
{
    FNotificationTarget->SetLimit(Limit);
}

void TComm::ApplyLineSettings()
{
    TDeviceControlBlock dcb;
    FDevice->GetCommState(dcb);
    dcb.BaudRate = FBaudRate;

    // The flag word is rebuilt from nothing: binary mode always, abort-on-error and every higher bit never, so a
    // line error never makes the device abort reads and writes.
    uint32_t flags = DcbFlag::Binary;
    if (FParityCheck)
        flags |= DcbFlag::Parity;
    if (FOutx_CtsFlow)
        flags |= DcbFlag::OutxCtsFlow;
    if (FOutx_DsrFlow)
        flags |= DcbFlag::OutxDsrFlow;
    flags |= DeviceDtrControl(FDtrControl) << DcbFlag::DtrControlShift;
    if (FDsrSensitivity)
        flags |= DcbFlag::DsrSensitivity;
    if (FTxContinueOnXoff)
        flags |= DcbFlag::TXContinueOnXoff;
    if (FOutx_XonXoffFlow)
        flags |= DcbFlag::OutX;
    if (FInx_XonXoffFlow)
        flags |= DcbFlag::InX;
    if (FReplaceWhenParityError)
        flags |= DcbFlag::ErrorChar;
    if (FIgnoreNullChar)
        flags |= DcbFlag::Null;
    flags |= DeviceRtsControl(FRtsControl) << DcbFlag::RtsControlShift;
    dcb.Flags = flags;

    dcb.XonLim = FXonLimit;
    dcb.XoffLim = FXoffLimit;
    dcb.ByteSize = static_cast<uint8_t>(static_cast<uint8_t>(FByteSize) + 5);
    dcb.Parity = static_cast<uint8_t>(FParity);
    dcb.StopBits = static_cast<uint8_t>(FStopBits);
    dcb.XonChar = FXonChar;
    dcb.XoffChar = FXoffChar;
    dcb.ErrorChar = FReplacedChar;
    FDevice->SetCommState(dcb);
}

void TComm::ApplyTimeouts()
{
    TCommTimeouts timeouts;
    FDevice->GetCommTimeouts(timeouts);
    timeouts.ReadIntervalTimeout = FReadIntervalTimeout;
    timeouts.ReadTotalTimeoutMultiplier = FReadTotalTimeoutMultiplier;
    timeouts.ReadTotalTimeoutConstant = FReadTotalTimeoutConstant;
    timeouts.WriteTotalTimeoutMultiplier = FWriteTotalTimeoutMultiplier;
    timeouts.WriteTotalTimeoutConstant = FWriteTotalTimeoutConstant;
    FDevice->SetCommTimeouts(timeouts);
}

void TComm::OpenPort()
{
    if (FDevice)
        throw ECommsError("This serial port already opened");

    TSerialOpenResult result = FDeviceFactory(FCommName);
    FOpenError = result.Device ? 0 : result.Error;
    std::unique_ptr<TSerialDevice> opened = std::move(result.Device);
    if (!opened)
        throw ECommsError("Error opening serial port");
    // Something opened, but it is no serial device (a regular file, a device without a terminal driver).
    if (!opened->IsCharacterDevice()) {
        FOpenError = ENOTTY;
        throw ECommsError("File handle is not a comm handle ");
    }
    if (!opened->SetupComm(DeviceBufferSize, DeviceBufferSize)) {
        FOpenError = ENOTTY;
        throw ECommsError("Cannot setup comm buffer");
    }
    FDevice = std::move(opened);

    FDevice->PurgeComm(PurgeTxAbort | PurgeRxAbort | PurgeTxClear | PurgeRxClear);
    FSendDataEmptyFlag->store(true);
    ApplyTimeouts();
    ApplyLineSettings();

    auto closeEvent = std::make_shared<TSerialEvent>();
    if (!closeEvent->Valid()) {
        FDevice.reset();
        throw ECommsError("Unable to create event");
    }
    FCloseEvent = std::move(closeEvent);
    FNotificationTarget->NewSession();

    try {
        FReadThread = std::make_shared<TReadThread>(FDevice, FCloseEvent, FNotificationTarget);
        FReadThread->Create();
    } catch (...) {
        FReadThread.reset();
        FCloseEvent.reset();
        FDevice.reset();
        throw ECommsError("Unable to create read thread");
    }
    FReadThread->SetPriority(ThreadPriorityHighest);

    try {
        FWriteThread = std::make_shared<TWriteThread>(
            FDevice, FCloseEvent, FNotificationTarget, FSendDataEmptyFlag, FSendHeldNoticeAfter);
        FWriteThread->Create();
    } catch (...) {
        FWriteThread.reset();
        StopReceiveThread();
        FCloseEvent.reset();
        FDevice.reset();
        throw ECommsError("Unable to create write thread");
    }
    FWriteThread->SetPriority(ThreadPriorityAboveNormal);

    FReadThread->Resume();
    FWriteThread->Resume();
    ++FOpenings;
}

void TComm::ClosePort()
{
    if (!FDevice)
        return;
    StopReceiveThread();
    StopSendThread();
    FCloseEvent.reset();
    FDevice.reset();
}

void TComm::StopReceiveThread()
{
    if (!FReadThread)
        return;
    FCloseEvent->Set();
    FDevice->PurgeComm(PurgeRxAbort | PurgeRxClear);
    FReadThread->Release(FStopTimeout);
    FReadThread.reset();
}

void TComm::StopSendThread()
{
    if (!FWriteThread)
        return;
    FCloseEvent->Set();
    FDevice->PurgeComm(PurgeTxAbort | PurgeTxClear);
    FSendDataEmptyFlag->store(true);
    FWriteThread->Release(FStopTimeout);
    FWriteThread.reset();
}

bool TComm::SendData(const char *Buffer, std::size_t Count)
{
    if (!FWriteThread || Count == 0 || Count > MaxSendCount)
        return false;
    std::unique_ptr<char[]> block(new (std::nothrow) char[Count + 1]);
    if (!block)
        return false;
    std::memcpy(block.get(), Buffer, Count);
    block[Count] = 0;
    // Cleared before posting, so that the send thread, which sets it once the queue is empty, always has the last
    // word while a request is outstanding.
    FSendDataEmptyFlag->store(false);
    bool posted = false;
    try {
        posted = FWriteThread->PostThreadMessage(SendRequest, static_cast<uint32_t>(Count), std::move(block));
    } catch (const std::bad_alloc &) {
    }
    if (!posted)
        FSendDataEmptyFlag->store(true); // the thread has ended or is leaving: nothing is outstanding
    return posted;
}

const std::vector<TReadRun> &TComm::ReceivedRuns() const
{
    static const std::vector<TReadRun> none;
    return FReceivedRuns ? *FReceivedRuns : none;
}

void TComm::Dispatch(const TNotifyMessage &Message)
{
    switch (Message.Code()) {
    case NotifyReceiveData:
        if (TReceiveDataEvent handler = OnReceiveData) {
            struct TRunsScope {
                const std::vector<TReadRun> *&Runs;
                ~TRunsScope() { Runs = nullptr; }
            } scope { FReceivedRuns };
            FReceivedRuns = &Message.Runs();
            handler(this, Message.Block(), static_cast<uint16_t>(Message.WParam() & 0xFFFF));
        }
        break;
    case NotifyReceiveError:
        if (TReceiveErrorEvent handler = OnReceiveError)
            handler(this, Message.LParam());
        break;
    case NotifyRequestHangup:
        // A request still queued from an earlier opening is about a device that is closed already: it must not
        // close the port opened since.
        if (Message.Session() != FNotificationTarget->Session())
            break;
        if (TCommNotifyEvent handler = OnRequestHangup)
            handler(this);
        break;
    case NotifyModemStateChange:
        if (TModemStateChangeEvent handler = OnModemStateChange)
            handler(this, Message.LParam());
        break;
    case NotifySendDataEmpty:
        if (TSendDataEmptyEvent handler = OnSendDataEmpty)
            handler(this);
        break;
    case NotifySendHeld:
        // Like a hang-up request, news of an earlier opening's writes says nothing about the port open now.
        if (Message.Session() != FNotificationTarget->Session())
            break;
        if (TSendHeldEvent handler = OnSendHeld)
            handler(this, Message.LParam() != 0);
        break;
    default:
        break;
    }
}
