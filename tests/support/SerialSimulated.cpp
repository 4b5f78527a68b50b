// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/SerialSimulated.h"

#include "platform/PendingIo.h"
#include "platform/ReadTimeouts.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

namespace
{
using TClock = std::chrono::steady_clock;

struct TScriptStep {
    TClock::time_point Due;
    bool IsData;
    std::string Bytes;
    uint32_t Mask;
    uint32_t Errors;
};

// Received bytes waiting for a read, with the moment they arrived.
struct TRxPiece {
    TClock::time_point At;
    std::string Bytes;
};
} // namespace

struct TSimulatedLine {
    mutable std::mutex Lock;
    std::condition_variable StallEnded;
    std::condition_variable ReceiverSettled;
    // Wake the workers' waits whenever the test side changes something.
    TSerialEvent RxWake;
    TSerialEvent TxWake;

    std::string LastPortName;
    int OpenDevices = 0;
    std::map<TSimulatedCall, TIoResult> Failures;

    std::deque<TScriptStep> Script;
    std::deque<TRxPiece> Rx;
    std::deque<uint32_t> Completions; // comm-event masks waiting for a comm-event wait
    uint32_t Errors = 0;
    bool Vanished = false;
    bool CompleteAtOnce = true;

    std::string Written;
    std::vector<uint32_t> WriteSizes;
    std::deque<uint32_t> WriteLimits;
    bool WritesPending = false;
    bool Held = false;
    bool Stalled = false;
    bool StalledNow = false;

    TDeviceControlBlock Dcb;
    TCommTimeouts Timeouts;
    std::vector<TSimulatedConfigCall> ConfigCalls;

    // The line's clock: the steady clock, or one that only the test moves.
    bool ManualClock = false;
    TClock::time_point ManualNow;
    // Whether the receive worker is waiting with nothing to do, and the time it last looked at.
    bool ReceiverWaiting = false;
    TClock::time_point ReceiverSeen;

    TClock::time_point Now() const { return ManualClock ? ManualNow : TClock::now(); }

    TSimulatedLine()
    {
        // A device left by an earlier user in an odd state: abort-on-error and a high bit set, its own EOF and
        // event characters.
        Dcb.BaudRate = 1200;
        Dcb.Flags = 0x80004001;
        Dcb.ByteSize = 7;
        Dcb.EofChar = 26;
        Dcb.EvtChar = 10;
    }

    // The failure the test has set for `call`, if any.
    std::optional<TIoResult> Injected(TSimulatedCall call) const
    {
        auto found = Failures.find(call);
        if (found == Failures.end())
            return std::nullopt;
        return found->second;
    }

    void Wake()
    {
        RxWake.Set();
        TxWake.Set();
    }

    void Advance()
    {
        TClock::time_point now = Now();
        while (!Script.empty() && Script.front().Due <= now) {
            TScriptStep &step = Script.front();
            if (step.IsData) {
                Rx.push_back({ step.Due, step.Bytes });
            } else {
                Errors |= step.Errors;
                Completions.push_back(step.Mask);
            }
            Script.pop_front();
        }
    }

    // How long a wait may block before something is due at `due`; -1 for no limit. Under the manual clock only the
    // test moves time, and it wakes the waits when it does.
    int MillisecondsUntil(std::optional<TClock::time_point> due) const
    {
        if (!due || ManualClock)
            return -1;
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(*due - TClock::now()).count();
        return static_cast<int>(std::clamp<long long>(ms, 0, 1000 * 60 * 60));
    }

    std::optional<TClock::time_point> NextStep() const
    {
        if (Script.empty())
            return std::nullopt;
        return Script.front().Due;
    }

    uint32_t TakeWrite(const char *data, uint32_t size)
    {
        uint32_t n = size;
        if (!WriteLimits.empty()) {
            n = std::min(n, WriteLimits.front());
            WriteLimits.pop_front();
        }
        Written.append(data, n);
        WriteSizes.push_back(n);
        return n;
    }
};

namespace
{

class TSimulatedSerialDevice final : public TSerialDevice
{
public:
    explicit TSimulatedSerialDevice(std::shared_ptr<TSimulatedLine> line)
        : FLine(std::move(line))
    {
    }

    ~TSimulatedSerialDevice() override
    {
        std::lock_guard lock(FLine->Lock);
        --FLine->OpenDevices;
    }

    bool IsCharacterDevice() override { return Succeeds(TSimulatedCall::CharacterDevice); }
    bool SetupComm(uint32_t, uint32_t) override { return Succeeds(TSimulatedCall::SetupComm); }

    bool PurgeComm(uint32_t flags) override
    {
        std::lock_guard lock(FLine->Lock);
        FLine->Advance();
        if (flags & PurgeRxClear)
            FLine->Rx.clear();
        return true;
    }

    bool GetCommState(TDeviceControlBlock &dcb) override
    {
        std::lock_guard lock(FLine->Lock);
        dcb = FLine->Dcb;
        FLine->ConfigCalls.push_back({ TSimulatedConfigCall::GetCommState, dcb, {} });
        return true;
    }

    bool SetCommState(const TDeviceControlBlock &dcb) override
    {
        std::lock_guard lock(FLine->Lock);
        FLine->Dcb = dcb;
        FLine->ConfigCalls.push_back({ TSimulatedConfigCall::SetCommState, dcb, {} });
        return true;
    }

    bool GetCommTimeouts(TCommTimeouts &timeouts) override
    {
        std::lock_guard lock(FLine->Lock);
        timeouts = FLine->Timeouts;
        FLine->ConfigCalls.push_back({ TSimulatedConfigCall::GetCommTimeouts, {}, timeouts });
        return true;
    }

    bool SetCommTimeouts(const TCommTimeouts &timeouts) override
    {
        std::lock_guard lock(FLine->Lock);
        FLine->Timeouts = timeouts;
        FLine->ConfigCalls.push_back({ TSimulatedConfigCall::SetCommTimeouts, {}, timeouts });
        return true;
    }

    bool SetCommMask(uint32_t) override { return Succeeds(TSimulatedCall::SetCommMask); }

    TIoResult WaitCommEvent(uint32_t &mask) override
    {
        std::lock_guard lock(FLine->Lock);
        if (std::optional<TIoResult> injected = FLine->Injected(TSimulatedCall::WaitCommEvent))
            return *injected;
        if (FLine->Vanished)
            return TIoResult::Failed;
        FLine->Advance();
        if (FLine->CompleteAtOnce && !FLine->Completions.empty()) {
            mask = FLine->Completions.front();
            FLine->Completions.pop_front();
            return TIoResult::Done;
        }
        FCommWait.Start();
        return TIoResult::Pending;
    }

    TIoResult ReadFile(char *buffer, uint32_t size, uint32_t &count) override
    {
        std::lock_guard lock(FLine->Lock);
        if (std::optional<TIoResult> injected = FLine->Injected(TSimulatedCall::ReadFile))
            return *injected;
        if (FLine->Vanished)
            return TIoResult::Failed;
        FLine->Advance();
        FReadBuffer = buffer;
        FReadSize = size;
        FReadPlan = PlanRead(FLine->Timeouts, size);
        FRead = TPendingReadTimes { FLine->Now(), 0, {}, {} };
        if (FLine->CompleteAtOnce) {
            TakeReceived();
            if (ReadComplete()) {
                count = FRead.Count;
                return TIoResult::Done;
            }
        }
        FReadIo.Start();
        return TIoResult::Pending;
    }

    int WaitReceive(const TSerialEvent &closeEvent) override
    {
        std::unique_lock lock(FLine->Lock);
        for (;;) {
            if (closeEvent.IsSet())
                return 0;
            if (FLine->Injected(TSimulatedCall::WaitReceive))
                return SerialWaitFailed;
            FLine->RxWake.Reset();
            FLine->Advance();
            if (FLine->Vanished) {
                if (FCommWait.Pending)
                    FCommWait.Complete(TIoResult::Failed, 0);
                // The bytes a read holds when the device goes away are still delivered; the next read fails.
                if (FReadIo.Pending)
                    FReadIo.Complete(FRead.Count > 0 ? TIoResult::Done : TIoResult::Failed, FRead.Count);
            }
            if (FCommWait.Pending && !FLine->Completions.empty()) {
                uint32_t mask = FLine->Completions.front();
                FLine->Completions.pop_front();
                FCommWait.Complete(TIoResult::Done, mask);
            }
            if (FCommWait.Done)
                return 1;
            if (FReadIo.Pending) {
                TakeReceived();
                if (ReadComplete())
                    FReadIo.Complete(TIoResult::Done, FRead.Count);
            }
            if (FReadIo.Done)
                return 2;
            std::optional<TClock::time_point> due = FLine->NextStep();
            if (std::optional<TClock::time_point> deadline
                = FReadIo.Pending ? ReadDeadline(FReadPlan, FRead) : std::nullopt)
                due = due ? std::min(*due, *deadline) : *deadline;
            int timeout = FLine->MillisecondsUntil(due);
            FLine->ReceiverWaiting = true;
            FLine->ReceiverSeen = FLine->Now();
            FLine->ReceiverSettled.notify_all();
            lock.unlock();
            int woken = WaitForSerialEvents({ &closeEvent, &FLine->RxWake }, timeout);
            lock.lock();
            FLine->ReceiverWaiting = false;
            if (woken == -1)
                return SerialWaitFailed;
        }
    }

    TIoResult CommEventResult(uint32_t &mask) override
    {
        return Collect(TSimulatedCall::CommEventResult, FCommWait, mask);
    }

    TIoResult ReadResult(uint32_t &count) override { return Collect(TSimulatedCall::ReadResult, FReadIo, count); }

    TIoResult ClearCommError(uint32_t &errors) override
    {
        std::lock_guard lock(FLine->Lock);
        if (std::optional<TIoResult> injected = FLine->Injected(TSimulatedCall::ClearCommError))
            return *injected;
        errors = FLine->Errors;
        FLine->Errors = 0;
        return TIoResult::Done;
    }

    TIoResult WriteFile(const char *data, uint32_t size, uint32_t &written) override
    {
        std::unique_lock lock(FLine->Lock);
        if (std::optional<TIoResult> injected = FLine->Injected(TSimulatedCall::WriteFile))
            return *injected;
        if (FLine->Stalled) {
            FLine->StalledNow = true;
            FLine->StallEnded.wait(lock, [this] { return !FLine->Stalled; });
            FLine->StalledNow = false;
        }
        if (FLine->Vanished)
            return TIoResult::Failed;
        if (FLine->WritesPending || FLine->Held) {
            FWriteData = data;
            FWriteSize = size;
            FWriteIo.Start();
            return TIoResult::Pending;
        }
        written = FLine->TakeWrite(data, size);
        return TIoResult::Done;
    }

    int WaitWrite(const TSerialEvent &closeEvent, int timeoutMs) override
    {
        const bool limited = timeoutMs >= 0;
        const TClock::time_point waitEnd = TClock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
        std::unique_lock lock(FLine->Lock);
        for (;;) {
            if (closeEvent.IsSet())
                return 0;
            if (FLine->Injected(TSimulatedCall::WaitWrite))
                return SerialWaitFailed;
            FLine->TxWake.Reset();
            if (FWriteIo.Pending && FLine->Vanished) {
                FWriteIo.Complete(TIoResult::Failed, 0);
            } else if (FWriteIo.Pending && !FLine->Held) {
                FWriteIo.Complete(TIoResult::Done, FLine->TakeWrite(FWriteData, FWriteSize));
            }
            if (FWriteIo.Done)
                return 1;
            if (!FWriteIo.Pending)
                return SerialWaitFailed;
            int timeout = -1;
            if (limited) {
                auto left = std::chrono::ceil<std::chrono::milliseconds>(waitEnd - TClock::now()).count();
                if (left <= 0)
                    return SerialWaitTimeout;
                timeout = static_cast<int>(left);
            }
            lock.unlock();
            int woken = WaitForSerialEvents({ &closeEvent, &FLine->TxWake }, timeout);
            lock.lock();
            if (woken == -1)
                return SerialWaitFailed;
        }
    }

    TIoResult WriteResult(uint32_t &written) override
    {
        return Collect(TSimulatedCall::WriteResult, FWriteIo, written);
    }

private:
    bool Succeeds(TSimulatedCall call)
    {
        std::lock_guard lock(FLine->Lock);
        return !FLine->Injected(call);
    }

    // A finished operation's result as the device reports it: the failure set for `call`, or what `io` completed with.
    TIoResult Collect(TSimulatedCall call, TPendingIo &io, uint32_t &value)
    {
        std::lock_guard lock(FLine->Lock);
        if (std::optional<TIoResult> injected = FLine->Injected(call))
            return *injected;
        return io.Collect(value);
    }

    // Moves arrived bytes into the pending read, up to its size. A byte that arrived after the read's deadline is
    // left for the next read, so the chunks do not depend on how late the worker looks.
    void TakeReceived()
    {
        std::deque<TRxPiece> &rx = FLine->Rx;
        while (!rx.empty() && FRead.Count < FReadSize) {
            TRxPiece &piece = rx.front();
            // Bytes that were already waiting reach the read when it starts, as a driver's buffered bytes do.
            TClock::time_point at = std::max(piece.At, FRead.Start);
            std::optional<TClock::time_point> deadline = ReadDeadline(FReadPlan, FRead);
            if (deadline && at > *deadline)
                break;
            uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(FReadSize - FRead.Count, piece.Bytes.size()));
            std::memcpy(FReadBuffer + FRead.Count, piece.Bytes.data(), n);
            if (FRead.Count == 0)
                FRead.FirstByte = at;
            FRead.LastByte = at;
            FRead.Count += n;
            piece.Bytes.erase(0, n);
            if (piece.Bytes.empty())
                rx.pop_front();
        }
    }

    bool ReadComplete() const
    {
        if (FRead.Count == FReadSize)
            return true;
        std::optional<TClock::time_point> deadline = ReadDeadline(FReadPlan, FRead);
        return deadline && FLine->Now() >= *deadline;
    }

    std::shared_ptr<TSimulatedLine> FLine;
    TPendingIo FCommWait;
    TPendingIo FReadIo;
    char *FReadBuffer = nullptr;
    uint32_t FReadSize = 0;
    TReadTimeoutPlan FReadPlan;
    TPendingReadTimes FRead;
    TPendingIo FWriteIo;
    const char *FWriteData = nullptr;
    uint32_t FWriteSize = 0;
};

} // namespace

TSerialSimulator::TSerialSimulator()
    : FLine(std::make_shared<TSimulatedLine>())
{
}

TSerialSimulator::~TSerialSimulator() = default;

TSerialDeviceFactory TSerialSimulator::Factory() const
{
    std::shared_ptr<TSimulatedLine> line = FLine;
    return [line](const std::string &portName) -> TSerialOpenResult {
        std::lock_guard lock(line->Lock);
        line->LastPortName = portName;
        if (line->Injected(TSimulatedCall::Open))
            return { nullptr, ENOENT };
        if (line->OpenDevices > 0)
            return { nullptr, EBUSY };
        ++line->OpenDevices;
        line->Vanished = false;
        return { std::make_unique<TSimulatedSerialDevice>(line), 0 };
    };
}

std::string TSerialSimulator::LastPortName() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->LastPortName;
}

int TSerialSimulator::OpenDevices() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->OpenDevices;
}

void TSerialSimulator::Receive(const std::string &bytes, std::chrono::milliseconds after)
{
    std::lock_guard lock(FLine->Lock);
    TClock::time_point base = FLine->Script.empty() ? FLine->Now() : FLine->Script.back().Due;
    FLine->Script.push_back({ base + after, true, bytes, 0, 0 });
    FLine->Wake();
}

void TSerialSimulator::SignalCommEvent(uint32_t mask, uint32_t errors, std::chrono::milliseconds after)
{
    std::lock_guard lock(FLine->Lock);
    TClock::time_point base = FLine->Script.empty() ? FLine->Now() : FLine->Script.back().Due;
    FLine->Script.push_back({ base + after, false, {}, mask, errors });
    FLine->Wake();
}

void TSerialSimulator::CompleteAtOnce(bool atOnce)
{
    std::lock_guard lock(FLine->Lock);
    FLine->CompleteAtOnce = atOnce;
}

bool TSerialSimulator::ReceivePending() const
{
    std::lock_guard lock(FLine->Lock);
    for (const TScriptStep &step : FLine->Script)
        if (step.IsData)
            return true;
    return !FLine->Rx.empty();
}

void TSerialSimulator::UseManualClock()
{
    std::lock_guard lock(FLine->Lock);
    if (!FLine->ManualClock)
        FLine->ManualNow = TClock::now();
    FLine->ManualClock = true;
    FLine->Wake();
}

void TSerialSimulator::AdvanceClock(std::chrono::milliseconds by)
{
    std::unique_lock lock(FLine->Lock);
    FLine->ManualNow += by;
    FLine->Wake();
    // Bounded, so that a receive worker that has ended (or none at all) does not hold the test up for long.
    FLine->ReceiverSettled.wait_for(lock, std::chrono::seconds(2),
        [this] { return FLine->ReceiverWaiting && FLine->ReceiverSeen == FLine->ManualNow; });
}

void TSerialSimulator::Vanish()
{
    std::lock_guard lock(FLine->Lock);
    FLine->Vanished = true;
    FLine->Wake();
}

std::string TSerialSimulator::Written() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->Written;
}

std::vector<uint32_t> TSerialSimulator::WriteSizes() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->WriteSizes;
}

void TSerialSimulator::LimitNextWrites(std::vector<uint32_t> limits)
{
    std::lock_guard lock(FLine->Lock);
    FLine->WriteLimits.assign(limits.begin(), limits.end());
}

void TSerialSimulator::SetWritesPending(bool pending)
{
    std::lock_guard lock(FLine->Lock);
    FLine->WritesPending = pending;
    FLine->Wake();
}

void TSerialSimulator::HoldWrites(bool hold)
{
    std::lock_guard lock(FLine->Lock);
    FLine->Held = hold;
    FLine->Wake();
}

void TSerialSimulator::StallWrites(bool stall)
{
    {
        std::lock_guard lock(FLine->Lock);
        FLine->Stalled = stall;
    }
    FLine->StallEnded.notify_all();
}

bool TSerialSimulator::WriteIsStalled() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->StalledNow;
}

void TSerialSimulator::Fail(TSimulatedCall call, TIoResult result)
{
    std::lock_guard lock(FLine->Lock);
    FLine->Failures[call] = result;
    FLine->Wake();
}

void TSerialSimulator::Restore(TSimulatedCall call)
{
    std::lock_guard lock(FLine->Lock);
    FLine->Failures.erase(call);
    FLine->Wake();
}

void TSerialSimulator::SetDeviceState(const TDeviceControlBlock &dcb)
{
    std::lock_guard lock(FLine->Lock);
    FLine->Dcb = dcb;
}

TDeviceControlBlock TSerialSimulator::DeviceState() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->Dcb;
}

TCommTimeouts TSerialSimulator::DeviceTimeouts() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->Timeouts;
}

void TSerialSimulator::SetDeviceTimeouts(const TCommTimeouts &timeouts)
{
    std::lock_guard lock(FLine->Lock);
    FLine->Timeouts = timeouts;
}

std::vector<TSimulatedConfigCall> TSerialSimulator::ConfigCalls() const
{
    std::lock_guard lock(FLine->Lock);
    return FLine->ConfigCalls;
}

void TSerialSimulator::ClearConfigCalls()
{
    std::lock_guard lock(FLine->Lock);
    FLine->ConfigCalls.clear();
}
