// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotButton.h"

#include <QString>
#include <functional>

// A toolbar button: its hint, its glyph (a named 24 x 24 picture, loaded into the toolbar's image list the first time
// the button is drawn), its group (buttons of one group release each other when one goes down; 0 means none), and the
// actions run when it is clicked and when its down state changes.
class TPlotToolBarButton : public TPlotButton
{
public:
    TPlotToolBarButton(int index, const QString &hint, const QString &glyphName, int group)
        : Index(index)
        , Hint(hint)
        , GlyphName(glyphName)
        , Group(group)
    {
    }

    int Index; // the number reported by the toolbar's click event, not the screen order
    QString Hint;
    QString GlyphName;
    int ImageIndex = -1;
    int Group;
    std::function<void()> ClickAction;
    std::function<void()> ToggleAction;
};
