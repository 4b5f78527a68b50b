// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <string>

// The main window's size: 860 x 455 at first start and never smaller; the user may enlarge or maximize it, and the
// last size comes back at the next start (kept in setfile.ini's extension section).

inline constexpr QSize MainFormStartSize { 860, 455 };

// Where the three regions go in a client area of a given size: the top bar keeps the top and its height, the data
// panel the bottom and its current height, the chart area takes everything between them.
struct TMainFormRegions {
    QRect TopBar;
    QRect ChartArea;
    QRect DataPanel;
};
TMainFormRegions MainFormRegions(QSize client, int topBarHeight, int dataPanelHeight);

struct TMainFormSize {
    QSize Size = MainFormStartSize; // when not maximized
    bool Maximized = false;
    bool operator==(const TMainFormSize &) const = default;
};

// The size to start with: the stored one, no smaller than the start size and no larger than the room the screen
// offers (available; an empty one sets no upper limit).
QSize StartingMainFormSize(QSize stored, QSize available);

TMainFormSize LoadMainFormSize(const std::string &settingsPath);
// False when the file refused the write.
bool SaveMainFormSize(const std::string &settingsPath, const TMainFormSize &size);
