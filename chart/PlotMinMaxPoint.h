// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One pixel column's accumulator for fast trace drawing: every point that falls in the column widens its Y range;
// the column keeps the X of its first point and its first and last Y, to join it to its neighbours.
struct TPlotMinMaxPoint {
    bool Empty = true;
    int Column = 0;
    double X = 0;
    double YMax = -1e301;
    double YMin = 1e301;
    double YFirst = 0;
    double YLast = 0;

    void Reset() { *this = TPlotMinMaxPoint(); }
    bool Takes(int column) const { return Empty || Column == column; }
    void Add(int column, double x, double y)
    {
        if (Empty) {
            Empty = false;
            Column = column;
            X = x;
            YFirst = y;
        }
        if (y > YMax)
            YMax = y;
        if (y < YMin)
            YMin = y;
        YLast = y;
    }
};
