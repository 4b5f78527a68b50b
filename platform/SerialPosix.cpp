// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialPosix.h"

#include "platform/LineCounterDelta.h"
#include "platform/ModemLineWatch.h"
#include "platform/PollWait.h"
#include "platform/SerialLineConfig.h"
#include "platform/SerialPortName.h"
#include "platform/StreamSerialDevice.h"
#include "platform/TerminalConfig.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace
{

using TClock = std::chrono::steady_clock;

// The driver counts line errors, rings and carrier changes (TIOCGICOUNT) but offers no descriptor to wait on. The
// counters are read when bytes arrive (a line error comes with the byte it spoiled) and when a modem line changes
// (TModemLineWatch); only a driver that cannot wait for its modem lines is sampled this often instead.
constexpr std::chrono::milliseconds IcountPeriod(50);

class TPosixSerialDevice final : public TStreamSerialDevice
{
public:
    explicit TPosixSerialDevice(int fd);
    ~TPosixSerialDevice() override;

    bool IsCharacterDevice() override;
    bool SetupComm(uint32_t inputSize, uint32_t outputSize) override;
    bool PurgeComm(uint32_t flags) override;
    bool GetCommState(TDeviceControlBlock &dcb) override;
    bool SetCommState(const TDeviceControlBlock &dcb) override;

    bool SetCommMask(uint32_t mask) override;
    TIoResult WaitCommEvent(uint32_t &mask) override;
    int WaitReceive(const TSerialEvent &closeEvent) override;
    TIoResult ClearCommError(uint32_t &errors) override;

    TIoResult WriteFile(const char *data, uint32_t size, uint32_t &written) override;
    TIoResult WriteResult(uint32_t &written) override;

private:
    // Reads what waits into the pending read, and samples the line counters when bytes came.
    TDrain Drain() override;
    TDrain DrainBytes();
    void SampleLineCounters();
    bool WriteMore(TIoResult &result, uint32_t &written) override;
    uint32_t WrittenAtDeadline() override { return 0; } // nothing of this piece went out

    const bool FIsTerminal;
    // The terminal's configuration and its DTR and RTS lines before this device set them up, put back when the
    // device is closed. Drivers without modem lines (ptys) have no lines to keep.
    TSavedTerminalState FSavedState;
    std::optional<int> FSavedModemLines;

    // Receive worker's state.
    bool FIcountSupported = false;
    serial_icounter_struct FIcount {};
    TClock::time_point FNextIcountSample;
    TModemLineWatch FModemWatch;

    // Send worker's state.
    const char *FWriteData = nullptr;
    uint32_t FWriteSize = 0;
};

TIoResult ResultOfErrno(int error)
{
    return error == EBADF ? TIoResult::InvalidHandle : TIoResult::Failed;
}

TPosixSerialDevice::TPosixSerialDevice(int fd)
    : TStreamSerialDevice(fd)
    , FIsTerminal(isatty(fd) == 1)
{
    if (FIsTerminal) {
        SaveTerminalState(FFd, FSavedState);
        if (int lines = 0; ioctl(FFd, TIOCMGET, &lines) == 0)
            FSavedModemLines = lines;
        TSerialLineConfig line;
        if (ReadSerialLineConfig(FFd, line)) {
            WriteSerialLineConfig(FFd, line);
            MergeLineConfig(FDcb, line);
        }
        FIcountSupported = ioctl(FFd, TIOCGICOUNT, &FIcount) == 0;
    }
}

TPosixSerialDevice::~TPosixSerialDevice()
{
    FModemWatch.Stop();
    if (FIsTerminal) {
        // Leaves the line as the next user expects it (not in raw mode with this program's settings, DTR and RTS
        // as they were). A vanished device refuses; nothing is left to restore then.
        RestoreTerminalState(FFd, FSavedState);
        if (FSavedModemLines) {
            int raise = *FSavedModemLines & (TIOCM_DTR | TIOCM_RTS);
            int drop = ~*FSavedModemLines & (TIOCM_DTR | TIOCM_RTS);
            if (raise != 0)
                ioctl(FFd, TIOCMBIS, &raise);
            if (drop != 0)
                ioctl(FFd, TIOCMBIC, &drop);
        }
        ioctl(FFd, TIOCNXCL);
    }
    close(FFd);
}

bool TPosixSerialDevice::IsCharacterDevice()
{
    struct stat info;
    return fstat(FFd, &info) == 0 && S_ISCHR(info.st_mode);
}

bool TPosixSerialDevice::SetupComm(uint32_t, uint32_t)
{
    // The driver sizes its own buffers; what matters is that this is a terminal that takes a line configuration.
    return FIsTerminal;
}

bool TPosixSerialDevice::PurgeComm(uint32_t flags)
{
    bool ok = true;
    if (flags & PurgeRxClear)
        ok = tcflush(FFd, TCIFLUSH) == 0 && ok;
    if (flags & PurgeTxClear)
        ok = tcflush(FFd, TCOFLUSH) == 0 && ok;
    return ok;
}

bool TPosixSerialDevice::GetCommState(TDeviceControlBlock &dcb)
{
    std::lock_guard lock(FConfigLock);
    TSerialLineConfig line;
    if (FIsTerminal && ReadSerialLineConfig(FFd, line))
        MergeLineConfig(FDcb, line);
    dcb = FDcb;
    return FIsTerminal;
}

bool TPosixSerialDevice::SetCommState(const TDeviceControlBlock &dcb)
{
    if (!FIsTerminal)
        return false;
    std::optional<TSerialLineConfig> line = LineConfigOfDcb(dcb);
    if (!line)
        return false;

    std::lock_guard lock(FConfigLock);
    if (!WriteSerialLineConfig(FFd, *line))
        return false;

    // DTR and RTS as lines. DSR/DTR handshaking, DSR sensitivity, transmit-continue-on-XOFF, the XON/XOFF limits,
    // replacing bad bytes and discarding null bytes have no counterpart in the terminal driver; the record keeps
    // them.
    TModemLines lines = ModemLinesOfDcb(dcb);
    int dtr = TIOCM_DTR;
    ioctl(FFd, lines.Dtr ? TIOCMBIS : TIOCMBIC, &dtr);
    if (lines.Rts) {
        int rts = TIOCM_RTS;
        ioctl(FFd, *lines.Rts ? TIOCMBIS : TIOCMBIC, &rts);
    }
    FDcb = dcb;
    return true;
}

bool TPosixSerialDevice::SetCommMask(uint32_t mask)
{
    if (!FIsTerminal)
        return false;
    FCommWait.SetMask(mask);
    if (FIcountSupported)
        FIcountSupported = ioctl(FFd, TIOCGICOUNT, &FIcount) == 0;
    if (FIcountSupported && (mask & (EvRing | EvRlsd)) && !FModemWatch.Running())
        FModemWatch.Start(FFd);
    return true;
}

void TPosixSerialDevice::SampleLineCounters()
{
    if (!FIcountSupported || FVanished)
        return;
    serial_icounter_struct now {};
    if (ioctl(FFd, TIOCGICOUNT, &now) != 0)
        return;
    TLineCounterEvents delta = LineCounterDelta(FIcount, now);
    FCommWait.Add(delta.Events, delta.Errors);
    FIcount = now;
    FNextIcountSample = TClock::now() + IcountPeriod;
}

TIoResult TPosixSerialDevice::WaitCommEvent(uint32_t &mask)
{
    if (FVanished || FCommWait.Busy())
        return TIoResult::Failed;
    SampleLineCounters();
    return FCommWait.Start(mask);
}

TIoResult TPosixSerialDevice::ClearCommError(uint32_t &errors)
{
    SampleLineCounters();
    errors = FCommWait.TakeErrors();
    return TIoResult::Done;
}

TDrain TPosixSerialDevice::Drain()
{
    const uint32_t before = FRead.Count();
    const TDrain drained = DrainBytes();
    if (FRead.Count() > before && FIcountSupported) {
        // Bytes came: a line error comes with the byte it spoiled.
        SampleLineCounters();
        FCommWait.CompleteIfWatched();
    }
    return drained;
}

TDrain TPosixSerialDevice::DrainBytes()
{
    while (FRead.Room() > 0) {
        uint32_t asked = FRead.Room();
        ssize_t n = read(FFd, FRead.Free(), asked);
        if (n > 0) {
            FRead.Add(static_cast<uint32_t>(n), TClock::now());
            // The terminal driver hands over all it holds, so a short read has emptied it.
            if (static_cast<uint32_t>(n) < asked)
                return TDrain::Ok;
            continue;
        }
        if (n == 0) // a terminal in raw mode with VMIN 1 reads 0 only after a hang-up
            return TDrain::Vanished;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return TDrain::Ok;
        if (errno == EIO)
            return TDrain::Vanished;
        return errno == EBADF ? TDrain::BadHandle : TDrain::Failed;
    }
    return TDrain::Ok;
}

int TPosixSerialDevice::WaitReceive(const TSerialEvent &closeEvent)
{
    for (;;) {
        TClock::time_point now = TClock::now();
        if (std::optional<int> completed = ReceiveCompletion(closeEvent, now))
            return *completed;
        const bool watching = FModemWatch.Running() && !FModemWatch.Failed();
        bool sampling = FCommWait.Pending() && FIcountSupported && !FVanished && !watching;
        if (sampling && now >= FNextIcountSample) {
            SampleLineCounters();
            if (FCommWait.CompleteIfWatched())
                continue;
        }

        int timeout = -1;
        auto limit = [&timeout, now](TClock::time_point deadline) {
            int ms = MillisecondsUntil(now, deadline);
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        };
        if (std::optional<TClock::time_point> wake = FRead.WakeUp(now))
            limit(*wake);
        if (sampling)
            limit(FNextIcountSample);

        // Without a pending read, or while it settles, the device is watched only for a hang-up, so waiting data
        // cannot spin the loop.
        const bool watchData = FRead.Pending() && !FRead.Settling(now);
        pollfd items[3] = { { closeEvent.Fd(), POLLIN, 0 }, { FFd, static_cast<short>(watchData ? POLLIN : 0), 0 },
            { FModemWatch.WakeFd(), POLLIN, 0 } };
        nfds_t count = (FVanished || !(FRead.Pending() || FCommWait.Pending())) ? 1 : 2;
        if (count == 2 && FCommWait.Pending() && FModemWatch.Running())
            count = 3;
        TPollWake polled = CheckPoll(::poll(items, count, timeout), items[0]);
        if (polled == TPollWake::Again)
            continue;
        if (polled != TPollWake::Go)
            return polled == TPollWake::Closed ? 0 : SerialWaitFailed;
        if (count == 3 && (items[2].revents & POLLIN)) {
            // A modem line changed (or the watch ended: the counters are sampled from now on).
            FModemWatch.Take();
            FNextIcountSample = TClock::now();
            SampleLineCounters();
            FCommWait.CompleteIfWatched();
        }
        if (count < 2 || items[1].revents == 0)
            continue;

        TakeDescriptorEvents(items[1].revents);
    }
}

TIoResult TPosixSerialDevice::WriteFile(const char *data, uint32_t size, uint32_t &written)
{
    if (FWrite.Busy())
        return TIoResult::Failed;
    for (;;) {
        ssize_t n = size == 0 ? 0 : write(FFd, data, size);
        if (n > 0) {
            written = static_cast<uint32_t>(n);
            return TIoResult::Done;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return ResultOfErrno(errno);
        break;
    }
    FWriteData = data;
    FWriteSize = size;
    FWrite.Begin(Timeouts(), size);
    return TIoResult::Pending;
}

bool TPosixSerialDevice::WriteMore(TIoResult &result, uint32_t &written)
{
    ssize_t n = write(FFd, FWriteData, FWriteSize);
    if (n > 0) {
        result = TIoResult::Done;
        written = static_cast<uint32_t>(n);
        return true;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        result = ResultOfErrno(errno);
        written = 0;
        return true;
    }
    return false;
}

TIoResult TPosixSerialDevice::WriteResult(uint32_t &written)
{
    if (FWrite.Done())
        FWriteData = nullptr; // the finished write no longer uses the caller's data
    return FWrite.Collect(written);
}

} // namespace

TSerialOpenResult OpenPosixSerialDevice(const std::string &portName)
{
    std::string path = SerialDevicePath(portName);
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return { nullptr, errno };
    if (isatty(fd) == 1) {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // Another open holds the lock: the same condition that TIOCEXCL reports as EBUSY to other users.
            int error = errno == EWOULDBLOCK ? EBUSY : errno;
            close(fd);
            return { nullptr, error };
        }
        ioctl(fd, TIOCEXCL);
    }
    return { std::make_unique<TPosixSerialDevice>(fd), 0 };
}
