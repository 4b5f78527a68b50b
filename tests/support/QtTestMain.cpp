// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point for tests that need a QApplication (widgets, timers, posted events). The platform defaults to
// offscreen so that these tests run without an X server.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Tests never probe the machine's real serial ports (here /dev/ttyS0 is the system console).
    setenv("KELVARA_NO_PORT_PROBE", "1", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
