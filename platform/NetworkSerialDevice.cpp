// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkSerialDevice.h"

#include "platform/NetworkConnect.h"
#include "platform/NetworkOutbox.h"
#include "platform/PollWait.h"
#include "platform/RemotePortName.h"
#include "platform/Rfc2217Codec.h"
#include "platform/SerialLineConfig.h"
#include "platform/StreamSerialDevice.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
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
// The most one drain takes from the socket: a stream of commands without data never fills the read, and the receive
// wait must still look at the close event and the outgoing side now and then.
constexpr std::size_t DrainLimit = 64 * 1024;
// The data an RFC 2217 server may send before it answers the COM-PORT-OPTION offer; more is not such a server.
constexpr std::size_t EarlyDataLimit = 64 * 1024;

class TNetworkSerialDevice final : public TStreamSerialDevice
{
public:
    TNetworkSerialDevice(int fd, bool telnet, std::chrono::milliseconds stall);
    ~TNetworkSerialDevice() override;

    // Reads the server's first words until it has answered the COM-PORT-OPTION offer or `deadline` passes; the data
    // that came before the answer is delivered by the first reads. 0 when the server agreed, else the errno value
    // OpenNetworkSerialDevice reports.
    int AwaitPortOption(TClock::time_point deadline);

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
    // Ends the connection with a peer that has taken nothing for the stall time: both workers' waits see it gone.
    void GiveUpStalledPeer();
    bool WriteMore(TIoResult &result, uint32_t &written) override;
    uint32_t WrittenAtDeadline() override { return static_cast<uint32_t>(FOutbox.TakeWritten()); }
    void Abandon() override { FOutbox.TakeWritten(); }

    const bool FTelnet;
    const std::chrono::milliseconds FStall;
    // The commands of every thread and the pending write's bytes, in the order they go out.
    TNetworkOutbox FOutbox;
    // The line commands the server has been sent (under FConfigLock); none before the first setting.
    std::optional<TRfc2217LineSettings> FSentLine;

    // Receive worker's state (the opening thread's while AwaitPortOption runs).
    TRfc2217Decoder FDecoder;
    std::vector<char> FRaw;
    std::string FEarly; // data that came before the server agreed, not yet read
};

TNetworkSerialDevice::TNetworkSerialDevice(int fd, bool telnet, std::chrono::milliseconds stall)
    : TStreamSerialDevice(fd)
    , FTelnet(telnet)
    , FStall(stall)
    , FOutbox(telnet)
{
    if (FTelnet) {
        FRaw.resize(RawChunk);
        FOutbox.QueueCommand(Rfc2217Greeting() + Rfc2217NotificationMasks());
        FOutbox.Flush(FFd);
    }
}

int TNetworkSerialDevice::AwaitPortOption(TClock::time_point deadline)
{
    // On the application's main thread the event loop keeps turning (user input held back), as while connecting.
    QCoreApplication *application = QCoreApplication::instance();
    const bool mainThread = application && QThread::currentThread() == application->thread();
    char decoded[RawChunk];
    while (FDecoder.PortOption() == TPortOptionAnswer::None) {
        TClock::time_point now = TClock::now();
        if (now >= deadline)
            return EPROTO;
        int timeout = MillisecondsUntil(now, deadline);
        if (mainThread) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
            timeout = std::min(timeout, 10);
        }
        pollfd item { FFd, static_cast<short>(POLLIN | (FOutbox.HasUnsent() ? POLLOUT : 0)), 0 };
        int polled = ::poll(&item, 1, timeout);
        if (polled < 0 && errno != EINTR)
            return errno;
        if (polled <= 0)
            continue;
        if (item.revents & POLLOUT)
            FOutbox.Flush(FFd);
        if (!(item.revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        ssize_t n = ::recv(FFd, FRaw.data(), FRaw.size(), MSG_DONTWAIT);
        if (n == 0)
            return ECONNRESET;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return errno;
        }
        FEarly.append(decoded, FDecoder.Feed(FRaw.data(), static_cast<std::size_t>(n), decoded));
        if (FEarly.size() > EarlyDataLimit)
            return EPROTO;
        TakeNotifications();
    }
    return FDecoder.PortOption() == TPortOptionAnswer::Agreed ? 0 : EPROTONOSUPPORT;
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
        if (!FOutbox.QueueCommand(Rfc2217SetByte(ComPort::PurgeData, what)))
            return false;
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
        // Only what changed goes out: a DTR or RTS change is one command, not the whole line set up again.
        TRfc2217LineSettings settings = Rfc2217LineSettings(*line, dcb.StopBits, ModemLinesOfDcb(dcb));
        if (!FOutbox.QueueCommand(Rfc2217LineChanges(FSentLine ? &*FSentLine : nullptr, settings)))
            return false; // the server has stopped taking commands
        FSentLine = std::move(settings);
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
    // The answers are few (one per option and side, see TRfc2217Decoder); when even they do not fit, the server has
    // stopped reading and the stall check gives it up.
    if (std::string replies = FDecoder.TakeReplies(); !replies.empty() && FOutbox.QueueCommand(replies))
        FOutbox.Flush(FFd);
    TRemoteLineEvents events = Rfc2217LineEvents(FDecoder.TakeLineState(), FDecoder.TakeModemChanges());
    FCommWait.Add(events.Events, events.Errors);
    FCommWait.CompleteIfWatched();
}

void TNetworkSerialDevice::GiveUpStalledPeer()
{
    ::shutdown(FFd, SHUT_RDWR);
    FRead.Drained(TDrain::Vanished, FVanished, FCommWait.Io());
}

TDrain TNetworkSerialDevice::Drain()
{
    if (!FEarly.empty() && FRead.Room() > 0) {
        std::size_t taken = std::min<std::size_t>(FEarly.size(), FRead.Room());
        std::memcpy(FRead.Free(), FEarly.data(), taken);
        FEarly.erase(0, taken);
        FRead.Add(static_cast<uint32_t>(taken), TClock::now());
    }
    std::size_t drained = 0;
    while (FRead.Room() > 0 && drained < DrainLimit) {
        std::size_t asked = FRead.Room();
        char *target = FRead.Free();
        if (FTelnet)
            asked = std::min(asked, FRaw.size());
        ssize_t n = ::recv(FFd, FTelnet ? FRaw.data() : target, asked, MSG_DONTWAIT);
        if (n > 0) {
            drained += static_cast<std::size_t>(n);
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
        if (std::optional<TClock::time_point> stalled = FOutbox.StalledSince(); stalled && !FVanished) {
            if (now - *stalled >= FStall) {
                GiveUpStalledPeer();
                continue;
            }
            wake = wake ? std::min(*wake, *stalled + FStall) : *stalled + FStall;
        }
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

std::unique_ptr<TSerialDevice> MakeNetworkSerialDevice(int socketFd, bool telnet, std::chrono::milliseconds stall)
{
    return std::make_unique<TNetworkSerialDevice>(socketFd, telnet, stall);
}

TSerialOpenResult OpenNetworkSerialDevice(const std::string &portName, const TRemotePortLimits &limits)
{
    std::optional<TRemotePortName> name = ParseRemotePortName(portName);
    if (!name)
        return { nullptr, EINVAL };
    const TClock::time_point deadline = TClock::now() + limits.Open;
    TConnectResult connected = ConnectTcp(name->Host, name->Port, limits.Open);
    if (connected.Fd < 0)
        return { nullptr, connected.Error };
    const bool telnet = name->Kind == TRemotePortName::Rfc2217;
    auto device = std::make_unique<TNetworkSerialDevice>(connected.Fd, telnet, limits.Stall);
    if (telnet) {
        // A server that does not take up the COM-PORT-OPTION would get our commands as data for its device.
        if (int error = device->AwaitPortOption(deadline); error != 0)
            return { nullptr, error };
    }
    return { std::move(device), 0 };
}
