// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialPortList.h"

#include <string>
#include <vector>

// The items of the port settings window's port list, apart from the widget. An item is either a plain name (the COMn
// names, a port given for this run) or a device found on the system, shown with what tells it apart.
struct TPortListItem {
    std::string Text; // as shown
    std::string Name; // the port name a device item stands for; empty for a plain name, which is its own text
    bool Gone = false; // a device item whose device went away while the list was shown

    bool operator==(const TPortListItem &) const = default;
};

// What a device that went away shows after its text.
inline constexpr const char *PortGoneMark = "（已移除）";

// Brings the list up to date with the devices present: a device item whose device is present shows its current text,
// one whose device went is marked gone, and a device that no item stands for yet (by its name, or a plain item of the
// same text) is added at the end. Items are never removed or reordered, so a selection by index stays valid.
std::vector<TPortListItem> MergePortList(
    std::vector<TPortListItem> items, const std::vector<TSerialPortEntry> &present);

// The port name the user chose: the name of the item at `index` when the box still shows that item's text, else the
// typed text without surrounding blanks.
std::string PortNameOfChoice(const std::vector<TPortListItem> &items, int index, const std::string &shownText);
