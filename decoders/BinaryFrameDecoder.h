// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/ArrivalClock.h"
#include "decoders/FrameFormat.h"
#include "decoders/SampleDecoder.h"

#include <cstddef>
#include <string>
#include <vector>

// Reads binary frames of one TFrameFormat from the received bytes. Sample k of a frame goes to channel k ("数据k+1");
// every sample of a frame stands at the frame's time, that of the run holding its last byte.
//
// Frames are found by their header. A frame whose length field is impossible (no samples, not a whole number of
// samples, more samples than channels) is Rejected as soon as the field is read; a frame whose checksum does not match
// counts in ChecksumErrors. After either, the search for the next header starts one byte after the failed frame's
// header, so a good frame that begins inside a bad one is found (dated by the byte that made the bad one fail, when
// that came later than its own last byte). Without a header, frames are cut back to back from the first byte after
// construction or Reset; a failed frame then moves the cut on by one byte, so the frames line up again after a lost
// byte. Float samples that are not finite are left out.
//
// Every received byte that ends up in no frame taken counts once in SkippedBytes: bytes passed over while looking for
// a header, the bytes of failed frames that no good frame reuses, and an unfinished frame forgotten by Reset.
//
// A header or frame cut between two reads is carried over (at most one frame's bytes are kept), so the samples and
// counts are the same however the bytes are cut.
class TBinaryFrameDecoder final : public TSampleDecoder
{
public:
    // A header longer than TFrameFormat::MaxHeader is cut to that length; the channel count is held to 1 to
    // TFrameFormat::MaxChannels.
    explicit TBinaryFrameDecoder(TFrameFormat format);

    void Feed(std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime,
        std::vector<TSample> &out) override;
    const std::vector<std::string> &ChannelNames() const override { return FNames; }
    TDecoderCounts Counts() const override { return FCounts; }
    void ResetCounts() override { FCounts = {}; }
    void Reset() override;

    const TFrameFormat &Format() const { return FFormat; }

private:
    using TReadSample = double (*)(const unsigned char *);

    // Reads the frames of `buffer` (whose bytes from `base` on are the current read) into `out`, noting each frame in
    // FFrameEnds and FFrameFirst. Returns where the bytes that must wait for the next read begin.
    std::size_t Scan(std::string_view buffer, std::size_t base, std::vector<TSample> &out);
    // Passes over the first byte of a frame that failed at `pos`, counting it dropped; the search goes on after it.
    void DropFailedFrameStart(std::size_t &pos);

    TFrameFormat FFormat;
    std::size_t FSampleSize;
    std::size_t FLengthSize;
    std::size_t FChecksumSize;
    bool FChecksumBigEndian = false;
    TReadSample FReadSample;
    bool FMayBeNonFinite;
    std::vector<std::string> FNames;
    TDecoderCounts FCounts;
    TArrivalClock FClock;

    std::string FPending; // the bytes of an unfinished header or frame, from the reads before
    std::string FWork; // FPending followed by the current read
    std::vector<std::size_t> FFrameEnds; // per frame of the read: just past the byte that completed it
    std::vector<std::size_t> FFrameFirst; // per frame of the read: its first sample in `out`
    std::vector<double> FFrameTimes;
};
