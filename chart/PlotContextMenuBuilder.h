// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotContextMenu.h"

#include <functional>
#include <vector>

class QMenu;
class QObject;
class QWidget;

// Turns menu items into a QMenu with submenus, checkable and disabled actions as the items say. Choosing an item
// calls run with it, for as long as receiver lives. Returns null for no items; the caller owns the menu.
QMenu *BuildPlotContextMenu(const std::vector<TPlotMenuItem> &items, QWidget *parent, QObject *receiver,
    const std::function<void(const TPlotMenuItem &)> &run);
