// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/DemoSignal.h"

#include "core/AnsiText.h"
#include "decoders/Checksum.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace
{

double Phase(long sample)
{
    return 2 * std::numbers::pi * static_cast<double>(sample) / DemoSamplesPerPeriod;
}

// `value` rounded to `decimals` places, as the text "%.*f" writes it reads back.
double Rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

std::string TextLine(long burst)
{
    static const std::vector<std::string> texts = {
        Utf8ToAnsi("Kelvara 演示设备：正弦波，每秒 75 个点"),
        Utf8ToAnsi("状态正常 STATUS OK"),
        Utf8ToAnsi("温度 25.5℃ 湿度 40%"),
    };
    return texts[static_cast<std::size_t>(burst / DemoBurstsPerText) % texts.size()] + "\r\n";
}

std::string NumberLine(long sample)
{
    const double phase = Phase(sample);
    return std::to_string(std::lround(20000 + 8000 * std::sin(phase) + 1500 * std::sin(3 * phase))) + "\r\n";
}

// Decimals each named value is written with.
constexpr int LabelledDecimals[] = { 1, 1, 2 };

std::string LabelledLine(long sample)
{
    std::string line;
    const std::array<TDemoNamedValue, 3> values = DemoLabelledValues(sample);
    for (std::size_t i = 0; i < values.size(); ++i) {
        char field[64];
        std::snprintf(
            field, sizeof field, "%s%s:%.*f", i == 0 ? "" : ",", values[i].Name, LabelledDecimals[i], values[i].Value);
        line += field;
    }
    return line + "\r\n";
}

std::string Frame(long sample)
{
    const TFrameFormat format = DemoFrameFormat();
    std::string payload;
    for (double value : DemoFrameValues(sample)) {
        const auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
        payload += static_cast<char>(bits & 0xFF);
        payload += static_cast<char>(bits >> 8);
    }
    // CRC-16/MODBUS goes low byte first whatever the payload's byte order.
    const uint32_t crc = ComputeChecksum(format.Checksum, payload);
    return format.Header + payload + static_cast<char>(crc & 0xFF) + static_cast<char>((crc >> 8) & 0xFF);
}

} // namespace

std::optional<TDemoFormat> DemoFormatOfWord(std::string_view word)
{
    if (word == "numbers")
        return TDemoFormat::Numbers;
    if (word == "labelled")
        return TDemoFormat::Labelled;
    if (word == "binary")
        return TDemoFormat::Binary;
    return std::nullopt;
}

TFrameFormat DemoFrameFormat()
{
    return { "\xAA\x55", 3, TSampleType::Int16, TByteOrder::Little, TFrameLength::Fixed, TChecksumKind::Crc16Modbus };
}

std::array<double, 3> DemoFrameValues(long sample)
{
    const double phase = Phase(sample);
    // A sine, a faster cosine and a sawtooth that spans most of the int16 range, negative values included.
    const double saw = static_cast<double>(sample % DemoSamplesPerPeriod) / DemoSamplesPerPeriod;
    return { std::round(12000 * std::sin(phase)), std::round(6000 * std::cos(2 * phase)),
        std::round(-30000 + 60000 * saw) };
}

std::array<TDemoNamedValue, 3> DemoLabelledValues(long sample)
{
    const double phase = Phase(sample);
    return { TDemoNamedValue { "temp", Rounded(23 + 3 * std::sin(phase), LabelledDecimals[0]) },
        TDemoNamedValue { "hum", Rounded(45 + 8 * std::sin(phase / 3), LabelledDecimals[1]) },
        TDemoNamedValue { "volt", Rounded(3.3 + 0.05 * std::sin(5 * phase), LabelledDecimals[2]) } };
}

std::string DemoBurst(TDemoFormat format, long &sample, long burst)
{
    if (format != TDemoFormat::Binary && burst % DemoBurstsPerText == 0)
        return TextLine(burst);
    std::string bytes;
    for (int i = 0; i < DemoSamplesPerBurst; ++i, ++sample) {
        switch (format) {
        case TDemoFormat::Numbers:
            bytes += NumberLine(sample);
            break;
        case TDemoFormat::Labelled:
            bytes += LabelledLine(sample);
            break;
        case TDemoFormat::Binary:
            bytes += Frame(sample);
            break;
        }
    }
    return bytes;
}
