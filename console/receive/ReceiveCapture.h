// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

// Capture of the received bytes to a file: every byte appended while the capture runs, zero bytes and all, goes to
// the file exactly as received. Appending only copies into memory, so a slow or stuck disk never holds back the
// received data; a writer thread of its own hands what waits to the system at least every FlushInterval and when the
// capture stops, so a crash of the program loses at most that much.
//
// A write that the system refuses ends the writing: the rest is dropped and the failure is kept for TakeFailure.
// Start, Append, Stop and TakeFailure are for one thread (the user-interface thread).
class TReceiveCapture
{
public:
    static constexpr int FlushIntervalMs = 1000;

    TReceiveCapture() = default;
    // Stops the capture (writing out what waits).
    ~TReceiveCapture();
    TReceiveCapture(const TReceiveCapture &) = delete;
    TReceiveCapture &operator=(const TReceiveCapture &) = delete;

    // Creates or empties the file and starts capturing to it (stopping a running capture first). False, with the
    // system's error text in error, when the file cannot be opened.
    bool Start(const std::string &path, std::string &error);
    // Writes out what waits, closes the file and waits for the writer. Nothing happens when no capture runs.
    void Stop();
    bool Active() const { return FThread.joinable(); }
    const std::string &Path() const { return FPath; }

    void Append(std::string_view bytes);

    // The error text of a refused write, once: the capture stops when it is taken. Nothing when all went well.
    std::optional<std::string> TakeFailure();

    uint64_t BytesWritten() const { return FWritten.load(); }

private:
    void Run();

    std::string FPath;
    int FFile = -1;
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::string FPending; // guarded by FMutex
    bool FStopping = false; // guarded by FMutex
    std::atomic<bool> FFailed { false };
    std::string FFailure; // written by the writer before FFailed is set
    std::atomic<uint64_t> FWritten { 0 };
};

// The capture file suggested for a moment given in local time: capture-yyyyMMdd-hhmmss.bin.
std::string CaptureFileName(int year, int month, int day, int hour, int minute, int second);
