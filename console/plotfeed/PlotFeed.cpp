// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotXAxis.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/PlotQueue.h"
#include "core/AnsiText.h"
#include "core/ParseInteger.h"
#include "decoders/BinaryFrameDecoder.h"
#include "decoders/ValueListDecoder.h"
#include "decoders/WholeNumberLineDecoder.h"

#include <algorithm>
#include <chrono>

namespace
{

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool Blank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Samples of binary frames taken between two looks at the step's clock.
constexpr std::size_t SamplesPerClockRead = 64;

// The name of a line's first unlabelled value, in every mode.
const TChannelName FirstValueName { "数据1", false };

} // namespace

TPlotFeed::TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<double()> monotonicSeconds, double budgetSeconds)
    : FQueue(queue)
    , FPlot(plot)
    , FMonotonicSeconds(monotonicSeconds ? std::move(monotonicSeconds) : SteadySeconds)
    , FBudgetSeconds(budgetSeconds)
    , FSlots(MultiChannelCount)
{
    StartMode();
}

TPlotFeed::~TPlotFeed() = default;

void TPlotFeed::StartMode()
{
    FBacklog.clear();
    FChannelSlots.clear();
    FUnplaced = 0;
    FLineDecoder = nullptr;
    FLongLinesBefore = FQueue.LongLines();
    if (FBinary) {
        FDecoder = std::make_unique<TBinaryFrameDecoder>(*FBinary);
    } else if (FMultiChannel) {
        auto decoder = std::make_unique<TValueListDecoder>();
        FLineDecoder = decoder.get();
        FDecoder = std::move(decoder);
    } else {
        auto decoder = std::make_unique<TWholeNumberLineDecoder>();
        FLineDecoder = decoder.get();
        FDecoder = std::move(decoder);
    }
    TitleSlot(0);
}

bool TPlotFeed::HasWork() const
{
    return FBinary ? !FBacklog.empty() : !FQueue.Empty();
}

std::size_t TPlotFeed::Step() noexcept
{
    if (FBinary)
        return StepSamples();
    std::size_t taken = 0;
    try {
        const double deadline = FMonotonicSeconds() + FBudgetSeconds;
        do {
            if (TakeLine() == TStepResult::Idle)
                break;
            ++taken;
        } while (FMonotonicSeconds() < deadline);
    } catch (...) {
        // Only the clock could throw here; the lines taken so far are plotted.
    }
    return taken;
}

std::size_t TPlotFeed::StepSamples()
{
    std::size_t taken = 0;
    try {
        const double deadline = FMonotonicSeconds() + FBudgetSeconds;
        PlaceNewChannels();
        do {
            for (std::size_t k = 0; k < SamplesPerClockRead && !FBacklog.empty(); ++k, ++taken) {
                const TSample sample = FBacklog.front();
                FBacklog.pop_front();
                PlotSample(sample); // a point the chart refuses is lost; the others still go
            }
        } while (!FBacklog.empty() && FMonotonicSeconds() < deadline);
    } catch (...) {
    }
    return taken;
}

TPlotFeed::TStepResult TPlotFeed::TakeLine() noexcept
{
    try {
        if (FBinary || FQueue.Empty())
            return TStepResult::Idle;
        const std::string_view line = FQueue.FirstLine();
        TStepResult result = TStepResult::Plotted;
        FSamples.clear();
        FLineDecoder->TakeLine(line, FQueue.FirstLineTime(), FSamples);
        if (FSamples.empty())
            result = Blank(line) ? TStepResult::Dropped : TStepResult::Rejected;
        else if (!PlotSamples())
            result = TStepResult::ChartFailed;
        FQueue.RemoveFirstLine();
        return result;
    } catch (...) {
        // Only running out of memory gets here; the line is given up so that the feed goes on.
        FQueue.RemoveFirstLine();
        return TStepResult::ChartFailed;
    }
}

bool TPlotFeed::PlotSamples()
{
    PlaceNewChannels();
    bool plotted = true;
    for (const TSample &sample : FSamples)
        plotted = PlotSample(sample) && plotted; // the other channels still take their values
    return plotted;
}

bool TPlotFeed::PlotSample(const TSample &sample)
{
    const int slot = ChannelSlot(sample.Channel);
    if (slot < 0) {
        ++FUnplaced;
        return true;
    }
    try {
        MultiChannelAt(FPlot, slot).AddPoint(sample.Time, sample.Value);
        return true;
    } catch (...) {
        return false;
    }
}

void TPlotFeed::PlaceNewChannels()
{
    const std::size_t names = FDecoder->ChannelNames().size();
    for (std::size_t channel = FChannelSlots.size(); channel < names; ++channel)
        ChannelSlot(int(channel));
}

int TPlotFeed::ChannelSlot(int channel)
{
    if (channel < 0)
        return -1;
    if (std::size_t(channel) >= FChannelSlots.size())
        FChannelSlots.resize(std::size_t(channel) + 1, -1);
    if (FChannelSlots[std::size_t(channel)] >= 0)
        return FChannelSlots[std::size_t(channel)];
    // A channel whose values are all gone may change hands, unless a name of this mode already writes to it.
    auto reusable = [this](int slot) {
        const auto &channels = FPlot.Master().Channels();
        return slot < channels.Count() && channels.Item(slot)->Count() == 0
            && std::find(FChannelSlots.begin(), FChannelSlots.end(), slot) == FChannelSlots.end();
    };
    const int slot = FSlots.Assign(NameOf(channel), reusable);
    FChannelSlots[std::size_t(channel)] = slot;
    if (slot >= 0) {
        MultiChannelAt(FPlot, slot);
        TitleSlot(slot);
        TitleSlot(0); // "数据" becomes "数据1" once it has company
    }
    return slot;
}

TChannelName TPlotFeed::NameOf(int channel) const
{
    TChannelName name { FDecoder->ChannelNames().at(std::size_t(channel)), FDecoder->ReceivedName(channel) };
    // The one value of a whole-number line is that line's first value.
    if (!name.Received && name.Bytes == "数据")
        return FirstValueName;
    return name;
}

void TPlotFeed::TitleSlot(int slot)
{
    const auto &channels = FPlot.Master().Channels();
    if (slot >= channels.Count())
        return;
    const std::optional<TChannelName> &name = FSlots.NameAt(slot);
    QString title;
    if (slot == 0 && (!name || *name == FirstValueName)) {
        // The chart's own channel, until another name takes it.
        const bool alone = !FBinary && !FMultiChannel && channels.Count() == 1;
        title = alone ? QStringLiteral("数据") : MultiChannelTitle(0);
    } else if (name) {
        title = QString::fromStdString(name->Received ? AnsiToUtf8(name->Bytes) : name->Bytes);
    } else {
        return;
    }
    channels.Item(slot)->SetTitleText(title);
}

void TPlotFeed::TakeBytes(std::string_view bytes, std::span<const TTimedRun> runs, double fallbackTime) noexcept
{
    if (!FBinary)
        return;
    try {
        FSamples.clear();
        FDecoder->Feed(bytes, runs, fallbackTime, FSamples);
        FBacklog.insert(FBacklog.end(), FSamples.begin(), FSamples.end());
    } catch (...) {
        // Out of memory: this read's samples are lost, the decoder's state is whole and reading goes on.
    }
}

void TPlotFeed::SetMultiChannel(bool on)
{
    if (on == FMultiChannel)
        return;
    FMultiChannel = on;
    if (!FBinary)
        StartMode();
}

void TPlotFeed::SetBinaryFrames(const std::optional<TFrameFormat> &format)
{
    if (format == FBinary)
        return;
    FBinary = format;
    StartMode();
}

void TPlotFeed::PortOpened()
{
    FDecoder->Reset();
}

TDecoderCounts TPlotFeed::DecoderCounts() const
{
    TDecoderCounts counts = FDecoder->Counts();
    // Lines too long to read never reach the line decoder: the PlotQueue passed them over.
    if (!FBinary)
        counts.Rejected += FQueue.LongLines() - FLongLinesBefore;
    counts.DroppedNames += FUnplaced;
    return counts;
}

void TPlotFeed::ResetDecoderCounts()
{
    FDecoder->ResetCounts();
    FLongLinesBefore = FQueue.LongLines();
    FUnplaced = 0;
}

void TPlotFeed::SpanSelected(std::string_view text) noexcept
{
    try {
        FPlot.XAxis(0)->SetSpan(ParseInteger(text));
    } catch (...) {
    }
}

void TPlotFeed::SetUpChart(TPlot &plot)
{
    plot.SetTitleVisible(false);
    plot.XAxis(0)->SetSpan(1);
    plot.XAxis(0)->SetTitle("Time (Seconds)");
    plot.Channel(0)->SetRingBufferSize(MaxPoints);
}
