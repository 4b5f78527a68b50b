// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lines of values, each unlabelled or labelled with the name of its channel: "1,2,3", "temp:23.5,hum:41",
// "temp = 23.5; 7".
//
// Fields are separated by blanks, tabs, commas and semicolons. Blanks and tabs are padding as well as separators; at
// most one comma or semicolon stands between two fields, because an empty field ("1,,3") would move the unlabelled
// values after it to the wrong channel. One comma or semicolon may end the line, none may start it; a line that
// breaks this gives nothing.
//
// A labelled field is a name, ':' or '=', and a value ("temp:23.5", "temp=23.5"); blanks and tabs may stand on either
// side of the ':' or '=' ("temp: 23.5", "temp = 23.5", "temp :23.5"). A name is 1 to MaxNameCharacters printable GBK
// characters (PrintableGbkLength) without a separator, ':' or '=', so that stray bytes before a label (line noise,
// a control character) never make a channel. After blanks, a word that is itself followed by ':' or '=' is the next
// field's name, so in "a: b:1" the field a has no value. Every other field is an unlabelled number; the k-th unlabelled
// number of a line (from 1) goes to the channel "数据k", whatever labelled fields stand between. Numbers are read by
// ParseSampleValue.
//
// A line with an unlabelled field that is not a number gives nothing and is Rejected, so text such as "Booting..."
// makes no channel. A labelled field whose value is missing or not a number ("state:OK"), or whose label is no name
// (empty, too long, not printable), is skipped (SkippedFields) and the rest of its line is taken. A line that gives no
// sample is Rejected; lines of blanks and tabs only are skipped without a count.
//
// Channels are made in order of first appearance whatever their names, the first being channel 0, up to MaxChannels;
// a value whose channel would be one more is dropped (DroppedNames). ChannelNames() holds a labelled channel's name
// as the device sent it (GBK bytes, ReceivedName true) and an unlabelled one's as UTF-8 "数据k" (ReceivedName false).
// A label never shares a channel with an unlabelled position, even when their bytes agree. GBK needs no decoding to
// find the fields: the second byte of a GBK character is never below 0x40, so it is never a separator, ':' or '='.
// Reset forgets the open line and keeps the channels.
class TValueListDecoder : public TLineDecoder
{
public:
    static constexpr int MaxChannels = 16;
    static constexpr std::size_t MaxNameCharacters = 32;

    const std::vector<std::string> &ChannelNames() const override { return FNames; }
    bool ReceivedName(int channel) const override;

protected:
    void DecodeLine(std::string_view line, double time, std::vector<TSample> &out) override;

private:
    // A field of the line being read that holds a number.
    struct TField {
        std::string_view Name; // empty for an unlabelled number
        int Position = 0; // an unlabelled number's position among the line's unlabelled numbers, from 1
        double Value = 0;
    };

    // Reads the line into FFields and the number of labelled fields skipped. False when the line gives nothing.
    bool ReadFields(std::string_view line, uint64_t &skipped);
    // The channel of a field, made when it is new; -1 when there is no room for it.
    int ChannelOf(const TField &field);
    int AddChannel(std::string name, bool received);

    std::vector<std::string> FNames;
    std::vector<bool> FReceived; // per channel: its name is a label the device sent
    std::vector<int> FPositionChannel; // the channel of unlabelled position k + 1, -1 while there is none
    std::vector<TField> FFields;
};
