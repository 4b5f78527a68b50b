// SPDX-License-Identifier: GPL-3.0-or-later
// Received lines in the chart's multi-channel mode: no input may crash the reading, an accepted line holds 1 to 8
// finite values, and those values written out in their shortest form and joined by commas read back the same.
// fuzz-sources: core/ParseInteger.cpp decoders/SampleValue.cpp
#include "console/plotfeed/MultiChannelLine.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::optional<TLineValues> values = ParseMultiChannelLine(text);
    if (!values)
        return 0;
    if (values->Count < 1 || values->Count > MaxLineValues)
        std::abort();
    std::string joined;
    for (int k = 0; k < values->Count; ++k) {
        if (!std::isfinite(values->Values[k]))
            std::abort();
        char number[32];
        joined.append(number, std::to_chars(number, number + sizeof number, values->Values[k]).ptr);
        joined += ',';
    }
    const std::optional<TLineValues> back = ParseMultiChannelLine(joined);
    if (!back || back->Count != values->Count)
        std::abort();
    for (int k = 0; k < values->Count; ++k)
        if (back->Values[k] != values->Values[k])
            std::abort();
    return 0;
}
