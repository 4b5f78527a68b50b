#pragma once

#include "comm/SerialComm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

// Runs the event loop until condition holds or timeout passes; returns whether it holds. Timeouts are generous:
// they only bound a failing test.
inline bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout = 10s)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
        usleep(1000);
    }
    return true;
}

// Runs the event loop for a while, for checks that something does not happen.
inline void PumpFor(std::chrono::milliseconds duration)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
        usleep(1000);
    }
}

// Records every event a component raises, in order.
struct TEventLog {
    std::vector<std::string> Events; // "data", "error:<flags>", "modem:<bits>", "hangup", "empty"
    std::vector<std::string> Chunks;
    std::string Received;
    bool BlocksEndInZero = true;
    TComm *Sender = nullptr;

    explicit TEventLog(TComm &comm)
    {
        comm.OnReceiveData = [this](TComm *sender, const char *buffer, uint16_t length) {
            Sender = sender;
            BlocksEndInZero = BlocksEndInZero && buffer[length] == 0;
            Chunks.emplace_back(buffer, length);
            Received.append(buffer, length);
            Events.push_back("data");
        };
        comm.OnReceiveError = [this](TComm *, uint32_t mask) { Events.push_back("error:" + std::to_string(mask)); };
        comm.OnModemStateChange = [this](TComm *, uint32_t bits) { Events.push_back("modem:" + std::to_string(bits)); };
        comm.OnRequestHangup = [this](TComm *) { Events.push_back("hangup"); };
        comm.OnSendDataEmpty = [this](TComm *) { Events.push_back("empty"); };
    }

    int Count(const std::string &event) const
    {
        int n = 0;
        for (const std::string &e : Events)
            n += e == event;
        return n;
    }
};

// A pseudo-terminal: the slave's path stands for a serial port, the test plays the device on the master.
class TPty
{
public:
    TPty()
    {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster >= 0 && grantpt(FMaster) == 0 && unlockpt(FMaster) == 0)
            FSlavePath = ptsname(FMaster);
    }
    ~TPty() { CloseMaster(); }
    TPty(const TPty &) = delete;
    TPty &operator=(const TPty &) = delete;

    const std::string &SlavePath() const { return FSlavePath; }
    int Master() const { return FMaster; }

    void Write(const std::string &bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(FMaster, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else
                usleep(1000);
        }
    }

    // Reads what the component sent until `size` bytes arrived or timeout passed.
    std::string Read(std::size_t size, std::chrono::milliseconds timeout = 10s)
    {
        std::string bytes;
        QElapsedTimer timer;
        timer.start();
        while (bytes.size() < size && timer.elapsed() < timeout.count()) {
            pollfd item { FMaster, POLLIN, 0 };
            if (poll(&item, 1, 20) > 0 && (item.revents & POLLIN)) {
                char buffer[4096];
                ssize_t n = read(FMaster, buffer, sizeof buffer);
                if (n > 0)
                    bytes.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return bytes;
    }

    void CloseMaster()
    {
        if (FMaster >= 0)
            close(FMaster);
        FMaster = -1;
    }

private:
    int FMaster = -1;
    std::string FSlavePath;
};
