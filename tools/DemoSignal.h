// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/FrameFormat.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// What the demo device sends, apart from the device around it: bursts of samples, a few every 200 ms.
//   Numbers  - one whole number a line ("20000" CR LF), a sine wave, and now and then a line of text
//   Labelled - one line of named values a sample ("temp:23.5,hum:41.2,volt:3.31" CR LF), and now and then text
//   Binary   - one frame a sample: AA 55, three int16 samples little-endian, CRC-16/MODBUS of the payload
enum class TDemoFormat { Numbers, Labelled, Binary };

inline constexpr int DemoSamplesPerBurst = 15;
inline constexpr int DemoSamplesPerPeriod = 75; // samples in one period of the slowest wave
inline constexpr int DemoBurstsPerText = 25; // every 25th burst of lines is a line of text instead

// "numbers", "labelled" or "binary"; nullopt for any other word.
std::optional<TDemoFormat> DemoFormatOfWord(std::string_view word);

// The shape of the binary frames.
TFrameFormat DemoFrameFormat();

// The values of sample `sample` (from 0) as the device means them: the three channels of a binary frame, and the
// three named values of a labelled line (exactly the values its text reads as).
std::array<double, 3> DemoFrameValues(long sample);
struct TDemoNamedValue {
    const char *Name;
    double Value;
};
std::array<TDemoNamedValue, 3> DemoLabelledValues(long sample);

// The bytes of burst number `burst` (from 0). `sample` is the number of samples sent so far; it moves on by the
// samples of the burst (a burst of text sends none).
std::string DemoBurst(TDemoFormat format, long &sample, long burst);
