// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkOutbox.h"

#include "platform/Rfc2217Codec.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

namespace
{

// Sends as much as the socket takes; the count sent, or -1 with errno set for a failure other than a full socket.
ssize_t SendSome(int fd, const char *data, std::size_t size)
{
    for (;;) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

} // namespace

TNetworkOutbox::TNetworkOutbox(bool telnet)
    : FTelnet(telnet)
{
}

void TNetworkOutbox::NoteWaiting(bool hadUnsent)
{
    if (!hadUnsent && Unsent())
        FProgress = TClock::now();
}

bool TNetworkOutbox::QueueCommand(std::string_view bytes)
{
    std::lock_guard lock(FLock);
    if (bytes.size() > CommandLimit - FCommands.size())
        return false;
    const bool hadUnsent = Unsent();
    FCommands.append(bytes);
    NoteWaiting(hadUnsent);
    return true;
}

void TNetworkOutbox::QueueData(std::string_view data)
{
    std::lock_guard lock(FLock);
    const bool hadUnsent = Unsent();
    FData.erase(0, FDataSent);
    FDataSent = 0;
    FWriteStart = FData.size();
    if (FTelnet)
        FData += TelnetEscape(data);
    else
        FData.append(data);
    NoteWaiting(hadUnsent);
}

int TNetworkOutbox::Flush(int fd)
{
    std::lock_guard lock(FLock);
    for (;;) {
        if (!FCommands.empty() && !FPairOpen) {
            ssize_t n = SendSome(fd, FCommands.data(), FCommands.size());
            if (n < 0)
                return errno;
            if (n > 0)
                FProgress = TClock::now();
            FCommands.erase(0, static_cast<std::size_t>(n));
            if (!FCommands.empty())
                return 0;
        }
        if (FDataSent >= FData.size())
            return 0;
        ssize_t n = SendSome(fd, FData.data() + FDataSent, FData.size() - FDataSent);
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (FTelnet) {
            // Escaped data holds 0xFF only in pairs: follow whether the bytes sent end inside one.
            for (std::size_t i = FDataSent; i < FDataSent + static_cast<std::size_t>(n); ++i)
                FPairOpen = FPairOpen ? false : static_cast<unsigned char>(FData[i]) == Telnet::Iac;
        }
        FDataSent += static_cast<std::size_t>(n);
        FProgress = TClock::now();
        if (FCommands.empty() && FDataSent >= FData.size())
            return 0;
    }
}

std::size_t TNetworkOutbox::TakeWritten()
{
    std::lock_guard lock(FLock);
    if (FDataSent <= FWriteStart) {
        FData.resize(FWriteStart);
        return 0;
    }
    std::size_t end = FDataSent + (FPairOpen ? 1 : 0);
    FData.resize(end);
    std::size_t escapes = FTelnet
        ? static_cast<std::size_t>(std::count(
            FData.begin() + static_cast<std::ptrdiff_t>(FWriteStart), FData.end(), static_cast<char>(Telnet::Iac)))
        : 0;
    std::size_t written = end - FWriteStart - escapes / 2;
    FWriteStart = FData.size();
    return written;
}

std::size_t TNetworkOutbox::TakeWrittenIfAny()
{
    {
        std::lock_guard lock(FLock);
        if (FDataSent <= FWriteStart)
            return 0;
    }
    return TakeWritten();
}

bool TNetworkOutbox::HasUnsent()
{
    std::lock_guard lock(FLock);
    return Unsent();
}

std::optional<TNetworkOutbox::TClock::time_point> TNetworkOutbox::StalledSince()
{
    std::lock_guard lock(FLock);
    if (!Unsent())
        return std::nullopt;
    return FProgress;
}
