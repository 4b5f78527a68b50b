// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <array>
#include <csignal>

class QSocketNotifier;

// The requests to end the program that arrive as signals: SIGTERM (kill, shutdown), SIGINT (Ctrl+C in a terminal)
// and SIGHUP (the session or the terminal ends). The handler does nothing but write the signal's number to a pipe;
// a socket notifier reads it in the event loop and raises Received there, where the program can end as it ends by
// its own command. Each handler runs once: the same signal again ends the process at once, should the program be
// stuck. One object at a time; it restores the previous handlers when it goes.
class TQuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit TQuitSignals(QObject *parent = nullptr);
    ~TQuitSignals() override;
    TQuitSignals(const TQuitSignals &) = delete;
    TQuitSignals &operator=(const TQuitSignals &) = delete;

    static constexpr std::array<int, 3> Signals { SIGTERM, SIGINT, SIGHUP };

signals:
    void Received(int signal);

private:
    void ReadPipe();

    QSocketNotifier *FNotifier = nullptr;
    std::array<struct sigaction, Signals.size()> FPrevious {};
};
