// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecoderTestSupport.h"
#include "decoders/ValueListDecoder.h"
#include "decoders/WholeNumberLineDecoder.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct TDecoded {
    std::vector<TSample> Samples;
    std::vector<std::string> Names;
    TDecoderCounts Counts;

    bool operator==(const TDecoded &) const = default;
};

struct TCutCase {
    const char *Name;
    std::function<std::unique_ptr<TSampleDecoder>()> Make;
    std::string Input;
};

void PrintTo(const TCutCase &c, std::ostream *out)
{
    *out << c.Name;
}

TDecoded Decode(const TCutCase &c, const std::vector<std::string> &reads)
{
    const std::unique_ptr<TSampleDecoder> decoder = c.Make();
    TDecoded decoded;
    decoded.Samples = FeedReads(*decoder, reads);
    decoded.Names = decoder->ChannelNames();
    decoded.Counts = decoder->Counts();
    return decoded;
}

class LineDecoderCuts : public testing::TestWithParam<TCutCase>
{
};

// Every way of cutting the input into three reads (empty reads included) gives what the whole input gives.
TEST_P(LineDecoderCuts, TheSamplesAreTheSameWhereverTheReadsAreCut)
{
    const std::string &input = GetParam().Input;
    const TDecoded whole = Decode(GetParam(), { input });
    ASSERT_FALSE(whole.Samples.empty());
    for (std::size_t first = 0; first <= input.size(); ++first)
        for (std::size_t second = first; second <= input.size(); ++second)
            ASSERT_EQ(Decode(GetParam(),
                          { input.substr(0, first), input.substr(first, second - first), input.substr(second) }),
                whole)
                << "cut at " << first << " and " << second;
}

std::unique_ptr<TSampleDecoder> MakeWholeNumbers()
{
    return std::make_unique<TWholeNumberLineDecoder>();
}

std::unique_ptr<TSampleDecoder> MakeValueLists()
{
    return std::make_unique<TValueListDecoder>();
}

INSTANTIATE_TEST_SUITE_P(Cases, LineDecoderCuts,
    testing::Values(TCutCase { "WholeNumbers", MakeWholeNumbers, "12\r\n-3\rx\n\n $1F \r\n45\n678" },
        TCutCase { "Labels", MakeValueLists, "temp: 23.5,hum=41\r\n\xCE\xC2\xB6\xC8 = -7;state:OK\rp :1e3\n" },
        TCutCase { "MixedAndRejected", MakeValueLists, "1,2;a:3\r\nBooting...\n\n4 5\r\r\n6,,7\nb=8" }),
    [](const testing::TestParamInfo<TCutCase> &info) { return std::string(info.param.Name); });

} // namespace
