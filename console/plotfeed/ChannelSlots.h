// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A channel's name as a decoder gives it: its bytes, and whether the device sent them (a label, GBK bytes) or the
// decoder made them ("数据k", UTF-8). A label and a made name are different names even when their bytes agree.
struct TChannelName {
    std::string Bytes;
    bool Received = false;

    bool operator==(const TChannelName &) const = default;
};

// Which of a fixed number of slots (the chart's channels) holds the values of each channel name, so that a name keeps
// its channel across decoders and modes, and a channel never holds the values of two names at once.
//
// A name keeps the slot it was given. A new name gets the lowest slot never given; when every slot has been given, it
// takes over the lowest slot that the caller says is reusable (its values are all gone, for example after the chart
// was cleared), and the name that held it has none from then on. When no slot is left, the name gets none: its values
// have no channel to go to. Toolkit-free.
class TChannelSlots
{
public:
    explicit TChannelSlots(int count);

    int Count() const { return int(FNames.size()); }
    // The slot holding `name`'s values; -1 when it has none.
    int Find(const TChannelName &name) const;
    // The slot of `name`, given to it as said above when it has none; -1 when no slot is left.
    int Assign(const TChannelName &name, const std::function<bool(int slot)> &reusable);
    // The name whose values `slot` holds; nullopt for a slot never given.
    const std::optional<TChannelName> &NameAt(int slot) const { return FNames.at(std::size_t(slot)); }

private:
    std::vector<std::optional<TChannelName>> FNames;
};
