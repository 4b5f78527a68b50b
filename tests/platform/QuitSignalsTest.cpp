// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include "tests/support/WaitUntil.h"

#include <csignal>
#include <gtest/gtest.h>
#include <vector>

// Each quit signal reaches the event loop as Received, and the process lives on to end in order. Once the object is
// gone the previous handling is back.
TEST(QuitSignals, EachSignalArrivesInTheEventLoopInsteadOfEndingTheProcess)
{
    struct sigaction ignore {
    };
    ignore.sa_handler = SIG_IGN;
    std::vector<struct sigaction> before(TQuitSignals::Signals.size());
    for (std::size_t i = 0; i < TQuitSignals::Signals.size(); ++i)
        ::sigaction(TQuitSignals::Signals[i], &ignore, &before[i]);

    {
        TQuitSignals quit;
        std::vector<int> received;
        QObject::connect(&quit, &TQuitSignals::Received, [&](int signal) { received.push_back(signal); });
        for (int signal : TQuitSignals::Signals) {
            SCOPED_TRACE(signal);
            received.clear();
            ASSERT_EQ(::raise(signal), 0);
            EXPECT_TRUE(WaitUntil([&] { return !received.empty(); }));
            EXPECT_EQ(received, std::vector<int> { signal });
        }
    }

    for (std::size_t i = 0; i < TQuitSignals::Signals.size(); ++i) {
        struct sigaction now {
        };
        ::sigaction(TQuitSignals::Signals[i], &before[i], &now);
        EXPECT_EQ(now.sa_handler, SIG_IGN) << TQuitSignals::Signals[i];
    }
}
