// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/WholeNumberLineDecoder.h"

#include "core/ParseInteger.h"

#include <cstdint>
#include <optional>

TWholeNumberLineDecoder::TWholeNumberLineDecoder()
    : FNames { "数据" }
{
}

void TWholeNumberLineDecoder::DecodeLine(std::string_view line, double time, std::vector<TSample> &out)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return;
    const std::string_view number = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    const std::optional<int32_t> value = TryParseInteger(number);
    if (!value) {
        ++FCounts.Rejected;
        return;
    }
    out.push_back({ 0, double(*value), time });
    ++FCounts.Taken;
}
