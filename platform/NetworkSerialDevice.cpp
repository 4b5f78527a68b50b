// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkSerialDevice.h"

#include "platform/NetworkConnect.h"
#include "platform/NetworkOutbox.h"
#include "platform/PollWait.h"
#include "platform/RemotePortName.h"
#include "platform/Rfc2217Codec.h"
#include "platform/SerialLineConfig.h"
#include "platform/StreamSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace
{

using TClock = std::chrono::steady_clock;

// The most a telnet read takes from the socket at once; the decoded bytes are never more than that.
constexpr std::size_t RawChunk = 4096;

class TNetworkSerialDevice final : public TStreamSerialDevice
{
public:
    TNetworkSerialDevice(int fd, bool telnet);
    ~TNetworkSerialDevice() override;

    bool IsCharacterDevice() override { return true; }
    bool SetupComm(uint32_t, uint32_t) override { return true; }
    bool PurgeComm(uint32_t flags) override;
    bool GetCommState(TDeviceControlBlock &dcb) override;
    bool SetCommState(const TDeviceControlBlock &dcb) override;

    bool SetCommMask(uint32_t mask) override;
    TIoResult WaitCommEvent(uint32_t &mask) override;
    int WaitReceive(const TSerialEvent &closeEvent) override;
    TIoResult ClearCommError(uint32_t &errors) override;

    TIoResult WriteFile(const char *data, uint32_t size, uint32_t &written) override;
    TIoResult WriteResult(uint32_t &written) override { return FWrite.Collect(written); }

private:
    TDrain Drain() override;
    void TakeNotifications();
    bool WriteMore(TIoResult &result, uint32_t &written) override;
    uint32_t WrittenAtDeadline() override { return static_cast<uint32_t>(FOutbox.TakeWritten()); }
    void Abandon() override { FOutbox.TakeWritten(); }

    const bool FTelnet;
    // The commands of every thread and the pending write's bytes, in the order they go out.
    TNetworkOutbox FOutbox;

    // Receive worker's state.
    TRfc2217Decoder FDecoder;
    std::vector<char> FRaw;
};

TNetworkSerialDevice::TNetworkSerialDevice(int fd, bool telnet)
    : TStreamSerialDevice(fd)
    , FTelnet(telnet)
    , FOutbox(telnet)
{
    if (FTelnet) {
        FRaw.resize(RawChunk);
        FOutbox.QueueCommand(Rfc2217Greeting() + Rfc2217NotificationMasks());
        FOutbox.Flush(FFd);
    }
}

TNetworkSerialDevice::~TNetworkSerialDevice()
{
    ::close(FFd);
}

bool TNetworkSerialDevice::PurgeComm(uint32_t flags)
{
    if (!FTelnet)
        return true;
    unsigned char what = 0;
    if (flags & PurgeRxClear)
        what |= ComPort::PurgeReceive;
    if (flags & PurgeTxClear)
        what |= ComPort::PurgeTransmit;
    if (what != 0) {
        FOutbox.QueueCommand(Rfc2217SetByte(ComPort::PurgeData, what));
        FOutbox.Flush(FFd);
    }
    return true;
}

bool TNetworkSerialDevice::GetCommState(TDeviceControlBlock &dcb)
{
    std::lock_guard lock(FConfigLock);
    dcb = FDcb;
    return true;
}

bool TNetworkSerialDevice::SetCommState(const TDeviceControlBlock &dcb)
{
    std::optional<TSerialLineConfig> line = LineConfigOfDcb(dcb);
    if (!line)
        return false;
    std::lock_guard lock(FConfigLock);
    if (FTelnet) {
        FOutbox.QueueCommand(Rfc2217LineCommands(*line, dcb.StopBits, ModemLinesOfDcb(dcb)));
        FOutbox.Flush(FFd);
    }
    FDcb = dcb;
    return true;
}

bool TNetworkSerialDevice::SetCommMask(uint32_t mask)
{
    FCommWait.SetMask(mask);
    return true;
}

TIoResult TNetworkSerialDevice::WaitCommEvent(uint32_t &mask)
{
    if (FVanished)
        return TIoResult::Failed;
    return FCommWait.Start(mask);
}

TIoResult TNetworkSerialDevice::ClearCommError(uint32_t &errors)
{
    errors = FCommWait.TakeErrors();
    return TIoResult::Done;
}

void TNetworkSerialDevice::TakeNotifications()
{
    if (std::string replies = FDecoder.TakeReplies(); !replies.empty()) {
        FOutbox.QueueCommand(replies);
        FOutbox.Flush(FFd);
    }
    TRemoteLineEvents events = Rfc2217LineEvents(FDecoder.TakeLineState(), FDecoder.TakeModemChanges());
    FCommWait.Add(events.Events, events.Errors);
    FCommWait.CompleteIfWatched();
}

TDrain TNetworkSerialDevice::Drain()
{
    while (FRead.Room() > 0) {
        std::size_t asked = FRead.Room();
        char *target = FRead.Free();
        if (FTelnet)
            asked = std::min(asked, FRaw.size());
        ssize_t n = ::recv(FFd, FTelnet ? FRaw.data() : target, asked, MSG_DONTWAIT);
        if (n > 0) {
            std::size_t produced = static_cast<std::size_t>(n);
            if (FTelnet) {
                produced = FDecoder.Feed(FRaw.data(), produced, target);
                TakeNotifications();
            }
            if (produced > 0)
                FRead.Add(static_cast<uint32_t>(produced), TClock::now());
            if (static_cast<std::size_t>(n) < asked)
                return TDrain::Ok; // the socket is empty for now
            continue;
        }
        if (n == 0)
            return TDrain::Vanished; // the server closed the connection
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return TDrain::Ok;
        if (errno == EBADF)
            return TDrain::BadHandle;
        return TDrain::Vanished; // reset, timed out, unreachable: the port is gone
    }
    return TDrain::Ok;
}

int TNetworkSerialDevice::WaitReceive(const TSerialEvent &closeEvent)
{
    for (;;) {
        TClock::time_point now = TClock::now();
        if (std::optional<int> completed = ReceiveCompletion(closeEvent, now))
            return *completed;
        std::optional<TClock::time_point> wake = FRead.WakeUp(now);
        int timeout = wake ? MillisecondsUntil(now, *wake) : -1;

        // Data and notifications are taken only into a pending read (a notification needs no room, but comes in
        // the same stream as the data behind it). Commands the owner queued while the socket was full go out here.
        short events = (FRead.Pending() && !FRead.Settling(now)) ? POLLIN : 0;
        if (FOutbox.HasUnsent())
            events |= POLLOUT;
        pollfd items[2] = { { closeEvent.Fd(), POLLIN, 0 }, { FFd, events, 0 } };
        nfds_t count = (FVanished || !(FRead.Pending() || FCommWait.Pending())) ? 1 : 2;
        TPollWake polled = CheckPoll(::poll(items, count, timeout), items[0]);
        if (polled == TPollWake::Again)
            continue;
        if (polled != TPollWake::Go)
            return polled == TPollWake::Closed ? 0 : SerialWaitFailed;
        if (count < 2 || items[1].revents == 0)
            continue;

        if (items[1].revents & POLLOUT) // never together with POLLNVAL
            FOutbox.Flush(FFd);
        TakeDescriptorEvents(items[1].revents);
    }
}

TIoResult TNetworkSerialDevice::WriteFile(const char *data, uint32_t size, uint32_t &written)
{
    if (FWrite.Busy())
        return TIoResult::Failed;
    FOutbox.QueueData(std::string_view(data, size));
    if (int error = FOutbox.Flush(FFd); error != 0) {
        FOutbox.TakeWritten();
        return error == EBADF ? TIoResult::InvalidHandle : TIoResult::Failed;
    }
    if (std::size_t sent = FOutbox.TakeWrittenIfAny(); sent > 0 || size == 0) {
        written = static_cast<uint32_t>(sent);
        return TIoResult::Done;
    }
    FWrite.Begin(Timeouts(), size);
    return TIoResult::Pending;
}

bool TNetworkSerialDevice::WriteMore(TIoResult &result, uint32_t &written)
{
    written = 0;
    if (int error = FOutbox.Flush(FFd); error != 0) {
        FOutbox.TakeWritten();
        result = TIoResult::Failed;
        return true;
    }
    std::size_t sent = FOutbox.TakeWrittenIfAny();
    if (sent == 0)
        return false;
    result = TIoResult::Done;
    written = static_cast<uint32_t>(sent);
    return true;
}

} // namespace

std::unique_ptr<TSerialDevice> MakeNetworkSerialDevice(int socketFd, bool telnet)
{
    return std::make_unique<TNetworkSerialDevice>(socketFd, telnet);
}

TSerialOpenResult OpenNetworkSerialDevice(const std::string &portName)
{
    std::optional<TRemotePortName> name = ParseRemotePortName(portName);
    if (!name)
        return { nullptr, EINVAL };
    TConnectResult connected = ConnectTcp(name->Host, name->Port);
    if (connected.Fd < 0)
        return { nullptr, connected.Error };
    return { MakeNetworkSerialDevice(connected.Fd, name->Kind == TRemotePortName::Rfc2217), 0 };
}
