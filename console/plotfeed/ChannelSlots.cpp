// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/ChannelSlots.h"

TChannelSlots::TChannelSlots(int count)
    : FNames(std::size_t(count))
{
}

int TChannelSlots::Find(const TChannelName &name) const
{
    for (std::size_t slot = 0; slot < FNames.size(); ++slot)
        if (FNames[slot] == name)
            return int(slot);
    return -1;
}

int TChannelSlots::Assign(const TChannelName &name, const std::function<bool(int slot)> &reusable)
{
    if (const int slot = Find(name); slot >= 0)
        return slot;
    for (std::size_t slot = 0; slot < FNames.size(); ++slot)
        if (!FNames[slot]) {
            FNames[slot] = name;
            return int(slot);
        }
    for (std::size_t slot = 0; slot < FNames.size(); ++slot)
        if (reusable && reusable(int(slot))) {
            FNames[slot] = name;
            return int(slot);
        }
    return -1;
}
