// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineDecoder.h"

// One whole number a line, on the one channel "数据": the line, without the blanks and tabs around it, read by
// TryParseInteger (decimal, or a hexadecimal pattern of up to 32 bits). Lines of blanks and tabs only are skipped
// without a count; any other line that does not read is Rejected.
class TWholeNumberLineDecoder : public TLineDecoder
{
public:
    TWholeNumberLineDecoder();

    const std::vector<std::string> &ChannelNames() const override { return FNames; }

protected:
    void DecodeLine(std::string_view line, double time, std::vector<TSample> &out) override;

private:
    std::vector<std::string> FNames;
};
