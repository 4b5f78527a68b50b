// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QString>
#include <vector>

class TPlotObject;

// The chart's context menus as plain data: which items an object's menu holds, in order, with captions and the
// enabled and checked states of the moment, and what choosing each item does.

enum TPlotMenuCommand {
    pmcSubmenu, // opens Items
    pmcToggleTracking, // axis: tracking on or off
    pmcUpdateResumeValues, // axis: the current Min and Span become the resume values
    pmcZoomToFit, // axis: the range of its channels' data
    pmcCursorChannel, // data cursor: ChannelName := Channel
    pmcCursorStyle, // data cursor: Style := Style
    pmcToggleUseChannelColor, // data cursor
    pmcToggleHintHideOnRelease, // data cursor
    pmcFlipAlignment, // data cursor: the hint to the other side of the pointer
    pmcEdit, // the property editor on the object
    pmcHost, // an item the chart's host added: HostCommand says which
};

struct TPlotMenuItem {
    QString Caption;
    TPlotMenuCommand Command = pmcSubmenu;
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
    QString Channel; // pmcCursorChannel
    TPlotDataCursorStyle Style = pcsValueXY; // pmcCursorStyle
    int HostCommand = 0; // pmcHost
    bool SeparatorBefore = false;
    std::vector<TPlotMenuItem> Items; // pmcSubmenu
};

// The menu of an object as it stands now. An axis offers "Tracking Enabled" (checked while tracking), "Update Resume
// Values" (enabled while tracking is off and Min or Span differ from the resume values) and "Zoom to Fit"; a data
// cursor offers the submenus "Channel" ("<All>" when allowed, then every visible channel by its title without line
// breaks, the current one checked), "Style" (the styles whose items are visible, the current one checked) and, when
// the user may change options, "Options"; then "Flip Alignment" (enabled for the one-pointer styles on a single
// channel). Every object then offers "Edit..." when the user may edit objects, enabled only when there is an editor
// to open (hasEditor). The data view's menu ends with hostItems, the items its host adds (none by default). Empty
// when there is no menu: no object, PopupEnabled off, a toolbar, or nothing to offer.
std::vector<TPlotMenuItem> PlotContextMenuItems(const TPlotObject *object, bool userCanEditObjects,
    const std::vector<TPlotMenuItem> &hostItems = {}, bool hasEditor = true);

// Carries out a chosen item on the object whose menu it came from. Editing belongs to the chart's host and
// submenus do nothing, so pmcEdit, pmcHost and pmcSubmenu are left to the caller.
void RunPlotMenuCommand(TPlotObject &object, const TPlotMenuItem &item);
