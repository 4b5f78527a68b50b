// SPDX-License-Identifier: GPL-3.0-or-later
// Where a tool window opens: beside the main window while the screen has room, below the windows already there, and
// cascaded, never on the spot of another, when there is no room.
#include "ui/ToolWindowPlacement.h"

#include <gtest/gtest.h>

TEST(ToolWindowPlacement, BesideTheMainWindowWhereTheScreenHasRoomElseCascaded)
{
    const QRect screen(0, 0, 1920, 1080);
    const QRect main(500, 200, 860, 455); // right edge 1359
    const QSize tool(400, 300);
    struct TCase {
        const char *Name;
        QRect Main;
        QSize Size;
        QRect Area;
        QList<QRect> Taken;
        QPoint Expected;
    };
    const TCase cases[] = {
        { "right of it, tops level", main, tool, screen, {}, { 1360, 200 } },
        { "left of it when the right has no room", QRect(1000, 200, 860, 455), tool, screen, {}, { 600, 200 } },
        { "cascaded over it when neither side has room", screen, tool, screen, {}, { 28, 28 } },
        { "below a window already on the right", main, tool, screen, { QRect(1360, 200, 400, 300) }, { 1360, 500 } },
        { "left when the right column is full", main, tool, screen, { QRect(1360, 0, 560, 1080) }, { 100, 200 } },
        { "cascaded from the right when both columns are full", main, tool, screen,
            { QRect(1360, 0, 560, 1080), QRect(0, 0, 500, 1080) }, { 1360, 200 } },
        { "not on the spot of an earlier cascaded window", screen, tool, screen,
            { QRect(28, 28, 400, 300), QRect(56, 56, 400, 300) }, { 84, 84 } },
        { "moved up to end at the screen's bottom", QRect(500, 700, 860, 380), QSize(400, 500), screen, {},
            { 1360, 580 } },
        { "taller than the screen: from its top", main, QSize(400, 1200), screen, {}, { 1360, 0 } },
        { "on a second screen", QRect(2000, 100, 860, 455), tool, QRect(1920, 0, 1280, 1024), {}, { 2028, 128 } },
        { "a cascade kept on the screen", QRect(100, 900, 1800, 180), tool, screen, {}, { 128, 780 } },
    };
    for (const TCase &c : cases) {
        const QPoint at = ToolWindowPosition(c.Main, c.Size, c.Area, c.Taken);
        EXPECT_EQ(at, c.Expected) << c.Name << ": " << at.x() << "," << at.y();
        EXPECT_TRUE(c.Area.contains(QRect(at, c.Size)) || c.Size.height() > c.Area.height()) << c.Name;
    }
}
