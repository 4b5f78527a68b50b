// SPDX-License-Identifier: GPL-3.0-or-later
// bench_binary_frames: the binary frame decoder on the demo device's shape (header AA 55, three channels of int16
// little-endian, CRC-16/MODBUS), fed in reads of 2048 bytes as the receive thread delivers them, each read a single
// run. The mark is 100 MB/s or more. A second case has a corrupted byte every 100 frames, so the decoder keeps
// resynchronising.
#include "decoders/BinaryFrameDecoder.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace
{

constexpr std::size_t ReadSize = 2048;

TFrameFormat DemoFormat()
{
    TFrameFormat format;
    format.Header = "\xAA\x55";
    format.Channels = 3;
    format.Type = TSampleType::Int16;
    format.Order = TByteOrder::Little;
    format.Length = TFrameLength::Fixed;
    format.Checksum = TChecksumKind::Crc16Modbus;
    return format;
}

// `frames` frames of slowly changing waveforms; every `corruptEvery`-th frame (0: none) has a payload byte changed.
std::string Stream(int frames, int corruptEvery)
{
    std::string stream;
    for (int i = 0; i < frames; ++i) {
        std::string payload;
        for (int k = 0; k < 3; ++k) {
            const int value = (i * (k + 1)) % 4000 - 2000;
            payload += { char(value & 0xFF), char((value >> 8) & 0xFF) };
        }
        const uint32_t crc = ComputeChecksum(TChecksumKind::Crc16Modbus, payload);
        if (corruptEvery > 0 && i % corruptEvery == corruptEvery - 1)
            payload[1] ^= 0x40;
        stream += "\xAA\x55" + payload + char(crc & 0xFF) + char(crc >> 8);
    }
    return stream;
}

void BM_DemoFrames(benchmark::State &state)
{
    const std::string stream = Stream(100'000, int(state.range(0)));
    TBinaryFrameDecoder decoder(DemoFormat());
    std::vector<TSample> samples;
    samples.reserve(3 * (ReadSize / 10 + 1));
    double time = 0;
    std::size_t pos = 0;
    int64_t bytes = 0;
    for (auto _ : state) {
        const std::string_view read = std::string_view(stream).substr(pos, ReadSize);
        const TTimedRun run[] = { { read.size(), time += 1e-5 } };
        samples.clear();
        decoder.Feed(read, run, 0, samples);
        benchmark::DoNotOptimize(samples.data());
        bytes += int64_t(read.size());
        pos += read.size();
        if (pos >= stream.size())
            pos = 0;
    }
    state.SetBytesProcessed(bytes);
    const TDecoderCounts counts = decoder.Counts();
    state.counters["frames_per_second"] = benchmark::Counter(double(counts.Taken), benchmark::Counter::kIsRate);
    state.counters["checksum_errors"] = double(counts.ChecksumErrors);
}
BENCHMARK(BM_DemoFrames)->Arg(0)->Arg(100);

} // namespace

BENCHMARK_MAIN();
