#include "platform/SerialSimulated.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

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
} // namespace

struct TSimulatedLine {
    mutable std::mutex Lock;
    std::condition_variable StallEnded;
    // Wake the workers' waits whenever the test side changes something.
    TSerialEvent RxWake;
    TSerialEvent TxWake;

    std::string LastPortName;
    int OpenDevices = 0;
    std::map<TSimulatedCall, TIoResult> Failures;

    std::deque<TScriptStep> Script;
    std::string Rx;
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

    bool Failing(TSimulatedCall call, TIoResult &result) const
    {
        auto found = Failures.find(call);
        if (found == Failures.end())
            return false;
        result = found->second;
        return true;
    }

    void Wake()
    {
        RxWake.Set();
        TxWake.Set();
    }

    void Advance()
    {
        TClock::time_point now = TClock::now();
        while (!Script.empty() && Script.front().Due <= now) {
            TScriptStep &step = Script.front();
            if (step.IsData) {
                Rx += step.Bytes;
            } else {
                Errors |= step.Errors;
                Completions.push_back(step.Mask);
            }
            Script.pop_front();
        }
    }

    int MillisecondsToNextStep() const
    {
        if (Script.empty())
            return -1;
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(Script.front().Due - TClock::now()).count();
        return static_cast<int>(std::max<long long>(ms, 0));
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
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::WaitCommEvent, injected))
            return injected;
        if (FLine->Vanished)
            return TIoResult::Failed;
        FLine->Advance();
        if (FLine->CompleteAtOnce && !FLine->Completions.empty()) {
            mask = FLine->Completions.front();
            FLine->Completions.pop_front();
            return TIoResult::Done;
        }
        FCommPending = true;
        return TIoResult::Pending;
    }

    TIoResult ReadFile(char *buffer, uint32_t size, uint32_t &count) override
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::ReadFile, injected))
            return injected;
        if (FLine->Vanished)
            return TIoResult::Failed;
        FLine->Advance();
        FReadBuffer = buffer;
        FReadSize = size;
        if (FLine->CompleteAtOnce && !FLine->Rx.empty()) {
            count = TakeReceived();
            return TIoResult::Done;
        }
        FReadPending = true;
        return TIoResult::Pending;
    }

    int WaitReceive(const TSerialEvent &closeEvent) override
    {
        std::unique_lock lock(FLine->Lock);
        for (;;) {
            if (closeEvent.IsSet())
                return 0;
            TIoResult injected;
            if (FLine->Failing(TSimulatedCall::WaitReceive, injected))
                return SerialWaitFailed;
            FLine->RxWake.Reset();
            FLine->Advance();
            if (FLine->Vanished) {
                if (FCommPending)
                    CompleteCommWait(TIoResult::Failed, 0);
                if (FReadPending)
                    CompleteRead(TIoResult::Failed, 0);
            }
            if (FCommPending && !FLine->Completions.empty()) {
                uint32_t mask = FLine->Completions.front();
                FLine->Completions.pop_front();
                CompleteCommWait(TIoResult::Done, mask);
            }
            if (FCommDone)
                return 1;
            if (FReadPending && !FLine->Rx.empty())
                CompleteRead(TIoResult::Done, TakeReceived());
            if (FReadDone)
                return 2;
            int timeout = FLine->MillisecondsToNextStep();
            lock.unlock();
            int woken = WaitForSerialEvents({ &closeEvent, &FLine->RxWake }, timeout);
            lock.lock();
            if (woken == -1)
                return SerialWaitFailed;
        }
    }

    TIoResult CommEventResult(uint32_t &mask) override
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::CommEventResult, injected))
            return injected;
        if (!FCommDone)
            return TIoResult::Failed;
        FCommDone = false;
        mask = FCommMask;
        return FCommResult;
    }

    TIoResult ReadResult(uint32_t &count) override
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::ReadResult, injected))
            return injected;
        if (!FReadDone)
            return TIoResult::Failed;
        FReadDone = false;
        count = FReadCount;
        return FReadResult;
    }

    TIoResult ClearCommError(uint32_t &errors) override
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::ClearCommError, injected))
            return injected;
        errors = FLine->Errors;
        FLine->Errors = 0;
        return TIoResult::Done;
    }

    TIoResult WriteFile(const char *data, uint32_t size, uint32_t &written) override
    {
        std::unique_lock lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::WriteFile, injected))
            return injected;
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
            FWritePending = true;
            return TIoResult::Pending;
        }
        written = FLine->TakeWrite(data, size);
        return TIoResult::Done;
    }

    int WaitWrite(const TSerialEvent &closeEvent) override
    {
        std::unique_lock lock(FLine->Lock);
        for (;;) {
            if (closeEvent.IsSet())
                return 0;
            TIoResult injected;
            if (FLine->Failing(TSimulatedCall::WaitWrite, injected))
                return SerialWaitFailed;
            FLine->TxWake.Reset();
            if (FWritePending && FLine->Vanished) {
                CompleteWrite(TIoResult::Failed, 0);
            } else if (FWritePending && !FLine->Held) {
                CompleteWrite(TIoResult::Done, FLine->TakeWrite(FWriteData, FWriteSize));
            }
            if (FWriteDone)
                return 1;
            if (!FWritePending)
                return SerialWaitFailed;
            lock.unlock();
            int woken = WaitForSerialEvents({ &closeEvent, &FLine->TxWake });
            lock.lock();
            if (woken == -1)
                return SerialWaitFailed;
        }
    }

    TIoResult WriteResult(uint32_t &written) override
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        if (FLine->Failing(TSimulatedCall::WriteResult, injected))
            return injected;
        if (!FWriteDone)
            return TIoResult::Failed;
        FWriteDone = false;
        written = FWriteCount;
        return FWriteResult;
    }

private:
    bool Succeeds(TSimulatedCall call)
    {
        std::lock_guard lock(FLine->Lock);
        TIoResult injected;
        return !FLine->Failing(call, injected);
    }

    uint32_t TakeReceived()
    {
        uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(FReadSize, FLine->Rx.size()));
        std::memcpy(FReadBuffer, FLine->Rx.data(), n);
        FLine->Rx.erase(0, n);
        return n;
    }

    void CompleteCommWait(TIoResult result, uint32_t mask)
    {
        FCommPending = false;
        FCommDone = true;
        FCommResult = result;
        FCommMask = mask;
    }

    void CompleteRead(TIoResult result, uint32_t count)
    {
        FReadPending = false;
        FReadDone = true;
        FReadResult = result;
        FReadCount = count;
    }

    void CompleteWrite(TIoResult result, uint32_t count)
    {
        FWritePending = false;
        FWriteDone = true;
        FWriteResult = result;
        FWriteCount = count;
    }

    std::shared_ptr<TSimulatedLine> FLine;
    bool FCommPending = false, FCommDone = false;
    TIoResult FCommResult = TIoResult::Done;
    uint32_t FCommMask = 0;
    char *FReadBuffer = nullptr;
    uint32_t FReadSize = 0;
    bool FReadPending = false, FReadDone = false;
    TIoResult FReadResult = TIoResult::Done;
    uint32_t FReadCount = 0;
    const char *FWriteData = nullptr;
    uint32_t FWriteSize = 0;
    bool FWritePending = false, FWriteDone = false;
    TIoResult FWriteResult = TIoResult::Done;
    uint32_t FWriteCount = 0;
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
    return [line](const std::string &portName) -> std::unique_ptr<TSerialDevice> {
        std::lock_guard lock(line->Lock);
        line->LastPortName = portName;
        TIoResult injected;
        if (line->Failing(TSimulatedCall::Open, injected) || line->OpenDevices > 0)
            return nullptr;
        ++line->OpenDevices;
        line->Vanished = false;
        return std::make_unique<TSimulatedSerialDevice>(line);
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
    TClock::time_point base = FLine->Script.empty() ? TClock::now() : FLine->Script.back().Due;
    FLine->Script.push_back({ base + after, true, bytes, 0, 0 });
    FLine->Wake();
}

void TSerialSimulator::SignalCommEvent(uint32_t mask, uint32_t errors, std::chrono::milliseconds after)
{
    std::lock_guard lock(FLine->Lock);
    TClock::time_point base = FLine->Script.empty() ? TClock::now() : FLine->Script.back().Due;
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
