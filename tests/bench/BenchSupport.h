// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Figures and small helpers that several benchmarks share.
#include <QObject>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

// CPU seconds (user and system) this process has used so far, all threads together.
double ProcessCpuSeconds();
// Bytes of this process resident in memory.
long ResidentBytes();
// The value at fraction `p` (0 to 1) of the sorted `values`, the nearest one; 0 when there are none.
double Percentile(std::vector<double> values, double p);
// Runs the Qt event loop for `ms` milliseconds.
void RunEventLoopFor(int ms);
// Writes all `size` bytes to `fd`, again after an interruption or while a non-blocking descriptor is full; false when
// a write fails.
bool WriteAll(int fd, const char *bytes, std::size_t size);

// How long the user-interface thread takes to answer, as a user's input would wait: from construction until Stop a
// thread posts an event every 5 ms, and the delay until this object handles it is recorded. Lives on the
// user-interface thread.
class TLoopAnswer : public QObject
{
public:
    TLoopAnswer();
    ~TLoopAnswer() override;
    // Ends the posting thread; DelaysMs then holds every delay handled so far.
    void Stop();

    std::vector<double> DelaysMs;

protected:
    void customEvent(QEvent *event) override;

private:
    std::atomic<bool> FPosting { true };
    std::thread FPoster;
};
