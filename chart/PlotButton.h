// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QPoint>

// A push button painted by the chart: its rectangle (Right and Bottom exclusive), and its states.
class TPlotButton
{
public:
    virtual ~TPlotButton() = default;

    const TPlotRect &Rect() const { return FRect; }
    void SetRect(const TPlotRect &rect) { FRect = rect; }
    bool Contains(const QPoint &point) const
    {
        return point.x() >= FRect.Left && point.x() < FRect.Right && point.y() >= FRect.Top && point.y() < FRect.Bottom;
    }

    bool Visible = true;
    bool Enabled = true;
    bool Pressed = false; // the mouse is held on it
    bool Down = false; // toggled down

private:
    TPlotRect FRect;
};
