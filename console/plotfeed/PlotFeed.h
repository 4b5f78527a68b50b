// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/plotfeed/ChannelSlots.h"
#include "decoders/FrameFormat.h"
#include "decoders/SampleDecoder.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class TLineDecoder;
class TPlot;
class TPlotQueue;

// The plot feed: takes whole lines from the top of the PlotQueue and reads each with the line decoder of the mode
// that is on, adding its samples to the chart at the line's arrival time (seconds since program start, from the
// queue). Every line looked at is removed, so the feed never stalls on a bad line; lines that give nothing, and
// points the chart refuses, are dropped without a word (the decoder counts them).
//
// Modes:
// - whole numbers (the default): a line that reads as a whole number (TWholeNumberLineDecoder) gives one value,
//   the line's first, on the channel of the name "数据1" (titled "数据" while it is the chart's only channel);
// - multi-channel: value lists with or without labels (TValueListDecoder), each value on the channel of its name;
// - binary frames (over the other two while on): the bytes themselves are read (TBinaryFrameDecoder) as they are
//   received (TakeBytes), and the samples wait in a backlog of their own until a step takes them; the PlotQueue is
//   not used then.
//
// A name owns its channel (TChannelSlots over the chart's MultiChannelCount channels): the values of a name, in
// whichever mode they came, go to one channel titled with that name, and a channel never takes the values of another
// name, so a change of mode keeps every earlier value under the name it came with. The unlabelled k-th value of a
// line and sample k of a frame are both "数据k". A new name takes a channel never used; when all of them are taken, it
// takes over a channel whose values are all gone (the chart was cleared) and is not used by the mode that is on;
// when there is none, its values are dropped and counted with the decoder's DroppedNames until one is free.
//
// Each channel keeps the newest points (MaxPoints for the first), the oldest leaving first, so an endless flood
// neither exhausts memory nor runs into the store's limit.
class TPlotFeed
{
public:
    enum class TStepResult {
        Idle, // nothing waited
        Dropped, // an empty line (or only blanks)
        Rejected, // the line gave no sample
        Plotted,
        ChartFailed, // the chart refused a point (for example its store is full)
    };

    static constexpr int MaxPoints = 20'000'000;
    // Time a step may spend before it hands the thread back to the event loop.
    static constexpr double DefaultBudgetSeconds = 0.004;

    // monotonicSeconds paces the step's budget; by default the machine's steady clock.
    TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<double()> monotonicSeconds = {},
        double budgetSeconds = DefaultBudgetSeconds);
    ~TPlotFeed();

    // One step of the plot timer: takes every waiting line (or sample of a binary frame) until none waits or the
    // budget is spent (at least one line), so the chart keeps up with any rate while input and painting still get
    // their turn between steps. Returns the number of lines or samples taken. Never throws; the caller stops its
    // timer around the step.
    std::size_t Step() noexcept;

    // Takes one line; never throws. In binary frame mode the PlotQueue is left alone and this is Idle.
    TStepResult TakeLine() noexcept;

    // Whether lines or samples wait for a step.
    bool HasWork() const;

    // Whether the feed reads received bytes itself (binary frames) instead of PlotQueue lines.
    bool ReadsBytes() const { return FBinary.has_value(); }
    // Received bytes with the runs they arrived in (on the chart's clock): decoded at once, their samples wait for
    // the next step. Ignored unless ReadsBytes(). Never throws.
    void TakeBytes(std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime) noexcept;

    // Switches multi-channel mode. The chart's channels keep their values and names.
    void SetMultiChannel(bool on);
    bool MultiChannel() const { return FMultiChannel; }
    // Binary frames of `format` on, or off (nullopt). A change of format drops the samples still waiting; the chart's
    // channels keep their values and names.
    void SetBinaryFrames(const std::optional<TFrameFormat> &format);
    const std::optional<TFrameFormat> &BinaryFrames() const { return FBinary; }

    // The port was opened: a partial frame from before belongs to nothing (the decoder is Reset). The PlotQueue's
    // lines are the receive pipeline's to start afresh (TReceivePipeline::PortOpened).
    void PortOpened();

    // What the decoder of the mode in use has seen since the mode began or its counts were reset; DroppedNames also
    // counts the values that found no free channel.
    TDecoderCounts DecoderCounts() const;
    void ResetDecoderCounts();
    // Lines that did not read as numbers, in the mode in use.
    uint64_t RejectedLines() const { return DecoderCounts().Rejected; }

    // The span selector changed: the time axis shows that many seconds. A text that is not a whole number is ignored.
    void SpanSelected(std::string_view text) noexcept;

    // The chart's set-up at the main window's creation: no title, a time axis of 1 second titled "Time (Seconds)",
    // and a channel that keeps the newest MaxPoints points.
    static void SetUpChart(TPlot &plot);

private:
    // Makes the decoder of the mode now chosen.
    void StartMode();
    // Adds FSamples to the chart; false when the chart refused a point.
    bool PlotSamples();
    // Adds one sample to the channel of its name; false when the chart refused it.
    bool PlotSample(const TSample &sample);
    // Gives the names the decoder made since the last call a channel each (binary frames: all at the first step).
    void PlaceNewChannels();
    // The chart channel of the decoder's channel `channel`, given one when it has none; -1 when none is free.
    int ChannelSlot(int channel);
    TChannelName NameOf(int channel) const;
    // Titles chart channel `slot` with the name whose values it holds.
    void TitleSlot(int slot);
    std::size_t StepSamples();

    TPlotQueue &FQueue;
    TPlot &FPlot;
    std::function<double()> FMonotonicSeconds;
    double FBudgetSeconds;
    bool FMultiChannel = false;
    std::optional<TFrameFormat> FBinary;
    std::unique_ptr<TSampleDecoder> FDecoder;
    TLineDecoder *FLineDecoder = nullptr; // FDecoder in the line modes
    uint64_t FLongLinesBefore = 0; // the PlotQueue's LongLines when the counts began
    TChannelSlots FSlots;
    std::vector<int> FChannelSlots; // per channel of FDecoder: its chart channel, -1 while it has none
    uint64_t FUnplaced = 0; // values that found no free channel since the counts were reset
    std::vector<TSample> FSamples; // the samples of the line being plotted
    std::deque<TSample> FBacklog; // binary frame samples waiting for a step
};
