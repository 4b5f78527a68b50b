// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/PlotFeed.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotXAxis.h"
#include "console/plotfeed/MultiChannelChart.h"
#include "console/plotfeed/PlotQueue.h"
#include "core/AnsiText.h"
#include "core/ParseInteger.h"
#include "decoders/BinaryFrameDecoder.h"
#include "decoders/ValueListDecoder.h"
#include "decoders/WholeNumberLineDecoder.h"

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

} // namespace

TPlotFeed::TPlotFeed(TPlotQueue &queue, TPlot &plot, std::function<double()> monotonicSeconds, double budgetSeconds)
    : FQueue(queue)
    , FPlot(plot)
    , FMonotonicSeconds(monotonicSeconds ? std::move(monotonicSeconds) : SteadySeconds)
    , FBudgetSeconds(budgetSeconds)
{
    StartMode();
}

TPlotFeed::~TPlotFeed() = default;

void TPlotFeed::StartMode()
{
    FBacklog.clear();
    FTitled = 0;
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
    // A new set of names: the channels of the mode before go, the first one keeps its points.
    SetMultiChannelChart(FPlot, false);
    if (FBinary || FMultiChannel)
        SetMultiChannelChart(FPlot, true);
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
        TitleNewChannels();
        do {
            for (std::size_t k = 0; k < SamplesPerClockRead && !FBacklog.empty(); ++k, ++taken) {
                const TSample sample = FBacklog.front();
                FBacklog.pop_front();
                try {
                    MultiChannelAt(FPlot, sample.Channel).AddPoint(sample.Time, sample.Value);
                } catch (...) {
                    // The chart refused the point; the others still go.
                }
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
    if (!FMultiChannel) {
        // The specified mode: one channel, never renamed.
        bool plotted = true;
        for (const TSample &sample : FSamples) {
            try {
                FPlot.Channel(0)->AddPoint(sample.Time, sample.Value);
            } catch (...) {
                plotted = false;
            }
        }
        return plotted;
    }
    TitleNewChannels();
    bool plotted = true;
    for (const TSample &sample : FSamples) {
        try {
            MultiChannelAt(FPlot, sample.Channel).AddPoint(sample.Time, sample.Value);
        } catch (...) {
            plotted = false; // the other channels still take their values
        }
    }
    return plotted;
}

void TPlotFeed::TitleNewChannels()
{
    const std::vector<std::string> &names = FDecoder->ChannelNames();
    for (; FTitled < names.size() && int(FTitled) < MultiChannelCount; ++FTitled) {
        const int channel = int(FTitled);
        const std::string title = FDecoder->ReceivedName(channel) ? AnsiToUtf8(names[FTitled]) : names[FTitled];
        MultiChannelAt(FPlot, channel).SetTitleText(QString::fromStdString(title));
    }
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
    if (on == FMultiChannel) {
        if (!FBinary)
            SetMultiChannelChart(FPlot, on);
        return;
    }
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
    return counts;
}

void TPlotFeed::ResetDecoderCounts()
{
    FDecoder->ResetCounts();
    FLongLinesBefore = FQueue.LongLines();
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
