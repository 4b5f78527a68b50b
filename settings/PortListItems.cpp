// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortListItems.h"

#include <algorithm>

std::vector<TPortListItem> MergePortList(std::vector<TPortListItem> items, const std::vector<TSerialPortEntry> &present)
{
    for (TPortListItem &item : items) {
        if (item.Name.empty())
            continue;
        auto entry = std::find_if(present.begin(), present.end(),
            [&item](const TSerialPortEntry &candidate) { return candidate.Name == item.Name; });
        const bool gone = entry == present.end();
        if (!gone)
            item.Text = PortItemText(*entry);
        else if (!item.Gone)
            item.Text += PortGoneMark; // keeps what told the device apart, so the user sees which one went
        item.Gone = gone;
    }
    for (const TSerialPortEntry &entry : present) {
        const bool listed = std::any_of(items.begin(), items.end(), [&entry](const TPortListItem &item) {
            return item.Name.empty() ? item.Text == entry.Name : item.Name == entry.Name;
        });
        if (listed)
            continue;
        // An on-board UART stands as its plain COMn name, like the fixed ones.
        if (entry.Name.rfind("COM", 0) == 0)
            items.push_back({ entry.Name, "", false });
        else
            items.push_back({ PortItemText(entry), entry.Name, false });
    }
    return items;
}

std::string PortNameOfChoice(const std::vector<TPortListItem> &items, int index, const std::string &shownText)
{
    if (index >= 0 && static_cast<size_t>(index) < items.size()
        && items[static_cast<size_t>(index)].Text == shownText) {
        const TPortListItem &item = items[static_cast<size_t>(index)];
        return item.Name.empty() ? item.Text : item.Name;
    }
    const size_t first = shownText.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = shownText.find_last_not_of(" \t");
    return shownText.substr(first, last - first + 1);
}
