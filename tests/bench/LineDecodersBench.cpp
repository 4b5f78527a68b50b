// SPDX-License-Identifier: GPL-3.0-or-later
// bench_line_decoders: received bytes to samples by the line decoders, without the chart.
// - Labelled lines of four names ("temp:23.5,hum:41,p:1013.2,v=3.30"), the mark is 5 000 000 values a second.
// - Unlabelled lines of eight values, and whole numbers a line, for comparison.
// The bytes come in reads of 2048 bytes, the most one read of the port brings, each with one arrival time.
#include "decoders/ValueListDecoder.h"
#include "decoders/WholeNumberLineDecoder.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace
{

constexpr std::size_t ReadBytes = 2048;

std::string LabelledLines(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int v = i % 1000;
        text += "temp:" + std::to_string(20 + v % 10) + "." + std::to_string(v % 10)
            + ",hum:" + std::to_string(40 + v % 20) + ",p:" + std::to_string(1000 + v % 30) + ".2,v=3."
            + std::to_string(v % 90 + 10) + "\r\n";
    }
    return text;
}

std::string UnlabelledLines(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int v = i % 2000 - 1000;
        text += std::to_string(v) + ',' + std::to_string(v / 4) + ".25," + std::to_string(-v) + ",0x1F,"
            + std::to_string(v * 3) + ",12.5,-0.5," + std::to_string(v % 97) + "\r\n";
    }
    return text;
}

std::string WholeNumberLines(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += std::to_string((i * 7919) % 100000 - 50000) + "\r\n";
    return text;
}

// Feeds `text` read by read, again and again, and reports values and bytes a second.
void FeedReads(benchmark::State &state, TSampleDecoder &decoder, const std::string &text)
{
    std::vector<TSample> samples;
    double time = 0;
    long long values = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < text.size(); at += ReadBytes) {
            samples.clear();
            decoder.Feed(std::string_view(text).substr(at, ReadBytes), {}, time += 1e-4, samples);
            values += static_cast<long long>(samples.size());
            benchmark::DoNotOptimize(samples.data());
        }
    }
    state.counters["values_per_second"] = benchmark::Counter(double(values), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    if (decoder.Counts().Rejected != 0 || decoder.Counts().SkippedFields != 0)
        state.SkipWithError("the benchmark's lines did not all read");
}

void BM_LabelledLines(benchmark::State &state)
{
    TValueListDecoder decoder;
    FeedReads(state, decoder, LabelledLines(10'000));
}
BENCHMARK(BM_LabelledLines)->Unit(benchmark::kMillisecond);

void BM_UnlabelledLines(benchmark::State &state)
{
    TValueListDecoder decoder;
    FeedReads(state, decoder, UnlabelledLines(10'000));
}
BENCHMARK(BM_UnlabelledLines)->Unit(benchmark::kMillisecond);

void BM_WholeNumberLines(benchmark::State &state)
{
    TWholeNumberLineDecoder decoder;
    FeedReads(state, decoder, WholeNumberLines(10'000));
}
BENCHMARK(BM_WholeNumberLines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
