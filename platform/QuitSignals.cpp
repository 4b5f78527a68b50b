// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// The pipe between the handler and the event loop: [0] read by the notifier, [1] written by the handler.
int GPipe[2] = { -1, -1 };

// Only async-signal-safe calls: write(2), with errno kept for the code the signal interrupted.
void OnSignal(int signal)
{
    int saved = errno;
    unsigned char number = static_cast<unsigned char>(signal);
    (void)!::write(GPipe[1], &number, 1);
    errno = saved;
}

} // namespace

TQuitSignals::TQuitSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(GPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        GPipe[0] = GPipe[1] = -1;
        return;
    }
    FNotifier = new QSocketNotifier(GPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TQuitSignals::ReadPipe);

    struct sigaction action {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < Signals.size(); ++i)
        ::sigaction(Signals[i], &action, &FPrevious[i]);
}

TQuitSignals::~TQuitSignals()
{
    if (GPipe[0] < 0)
        return;
    for (std::size_t i = 0; i < Signals.size(); ++i)
        ::sigaction(Signals[i], &FPrevious[i], nullptr);
    delete FNotifier;
    ::close(GPipe[0]);
    ::close(GPipe[1]);
    GPipe[0] = GPipe[1] = -1;
}

void TQuitSignals::ReadPipe()
{
    unsigned char number;
    while (::read(GPipe[0], &number, 1) == 1)
        emit Received(number);
}
