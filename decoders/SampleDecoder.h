// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A run of received bytes with the moment it arrived: the bytes of a read up to End (counted from the read's start)
// came at Time (seconds, on whatever clock the caller dates with).
struct TTimedRun {
    std::size_t End = 0;
    double Time = 0;
};

// One value for the chart: channel Channel of the decoder (its name is ChannelNames()[Channel]), at Time.
struct TSample {
    int Channel = 0;
    double Value = 0;
    double Time = 0;

    bool operator==(const TSample &) const = default;
};

// What a decoder has seen since it was made or its counts were reset.
struct TDecoderCounts {
    uint64_t Taken = 0; // lines or frames that gave samples
    uint64_t Rejected = 0; // lines or frames that gave none (not numbers, impossible lengths)
    uint64_t ChecksumErrors = 0;
    uint64_t SkippedBytes = 0; // bytes that made no frame: passed over, of failed frames, forgotten at Reset
    uint64_t DroppedNames = 0; // values whose channel could not be made (too many channels)
    uint64_t SkippedFields = 0; // labelled values that were not numbers (the rest of their line was taken)

    bool operator==(const TDecoderCounts &) const = default;
};

// Turns received bytes into samples for the chart, one shape of data each (whole-number lines, value lists with
// labels, binary frames). Bytes come as the reads brought them, with the runs they arrived in; a line or frame cut
// between two reads is carried over, so the samples are the same however the bytes are cut. Toolkit-free; one
// thread at a time.
class TSampleDecoder
{
public:
    virtual ~TSampleDecoder() = default;

    // Takes the bytes of one read (zero bytes included) with the runs they arrived in (in order, the last ending at
    // the read's end; without runs the read came at `fallbackTime`) and appends the samples it completes to `out`, in
    // order, each at the time of the run that completed its line or frame.
    virtual void Feed(
        std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime, std::vector<TSample> &out)
        = 0;
    // The channels' names in the order they appeared (as received: GBK bytes for names a device sends).
    virtual const std::vector<std::string> &ChannelNames() const = 0;
    // Whether channel `channel`'s name came from the device (GBK bytes, to be decoded as the receive panes decode
    // text) rather than being made by the decoder (UTF-8, such as "数据1").
    virtual bool ReceivedName(int /*channel*/) const { return false; }
    virtual TDecoderCounts Counts() const = 0;
    virtual void ResetCounts() = 0;
    // The port was opened again: a partial line or frame from before belongs to nothing and is forgotten. Line
    // decoders also pass over the bytes up to the first line break, which may be the end of a line begun before.
    virtual void Reset() = 0;
};
