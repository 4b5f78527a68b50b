// SPDX-License-Identifier: GPL-3.0-or-later
// Entry of the desktop tests: every run of this program (CTest runs one test case per run) starts its own X desktop
// before the application object exists, and ends it, by process id, after the tests. Listing the tests needs no
// desktop.
#include "app/Startup.h"
#include "tests/e2e/DesktopSupport.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

bool GDesktopReady = false;
std::string GDesktopProblem;

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    GDesktopReady = StartDesktop(GDesktopProblem);
    setenv("QT_QPA_PLATFORM", GDesktopReady ? "xcb" : "offscreen", 1);
    int result;
    {
        QApplication app(argc, argv);
        PrepareApplication(app);
        result = RUN_ALL_TESTS();
    }
    StopDesktop();
    return result;
}
