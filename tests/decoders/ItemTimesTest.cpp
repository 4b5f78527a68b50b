// SPDX-License-Identifier: GPL-3.0-or-later
// Every line or frame gets a time of its own, later than the one before, whatever the reads' times: values paired
// by their time (a CSV row, an XY point) then never come from two lines or frames. The values of one line or frame
// share its time.
#include "decoders/BinaryFrameDecoder.h"
#include "decoders/ValueListDecoder.h"
#include "decoders/WholeNumberLineDecoder.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace std::string_literals;

struct TRead {
    std::string Bytes;
    double Time = 0;
};

struct TTimesCase {
    const char *Name;
    std::function<std::unique_ptr<TSampleDecoder>()> Make;
    std::vector<TRead> Reads;
    std::size_t ValuesPerItem;
    std::size_t Items;
};

std::unique_ptr<TSampleDecoder> WholeNumbers()
{
    return std::make_unique<TWholeNumberLineDecoder>();
}

std::unique_ptr<TSampleDecoder> ValueLists()
{
    return std::make_unique<TValueListDecoder>();
}

std::unique_ptr<TSampleDecoder> TwoByteFrames()
{
    return std::make_unique<TBinaryFrameDecoder>(TFrameFormat { "\xAA", 2, TSampleType::UInt8 });
}

TEST(ItemTimes, EveryItemHasATimeOfItsOwnLaterThanTheOneBefore)
{
    const TTimesCase cases[] = {
        { "LinesOfTheFirstRead", WholeNumbers, { { "1\n2\n3\n", 5 } }, 1, 3 },
        { "LabelledLinesOfTheFirstRead", ValueLists, { { "a:1\nb:20\nc:400\n", 5 } }, 1, 3 },
        { "ListsOfTheFirstRead", ValueLists, { { "1,2\n3,4\n5,6\n", 5 } }, 2, 3 },
        { "ReadsDatedAlike", WholeNumbers, { { "1\n", 5 }, { "2\n3\n", 5 }, { "4\n", 5 } }, 1, 4 },
        { "AClockSetBack", ValueLists, { { "1,2\n", 5 }, { "3,4\n5,6\n", 4 } }, 2, 3 },
        { "ManyLinesInAMicrosecond", WholeNumbers, { { "1\n2\n", 5 }, { "3\n4\n5\n6\n", 5 + 1e-6 } }, 1, 6 },
        { "FramesOfTheFirstRead", TwoByteFrames, { { "\xAA\x01\x02\xAA\x03\x04\xAA\x05\x06"s, 5 } }, 2, 3 },
        { "FramesOfReadsDatedAlike", TwoByteFrames, { { "\xAA\x01\x02\xAA"s, 5 }, { "\x03\x04\xAA\x05\x06"s, 5 } }, 2,
            3 },
    };
    for (const TTimesCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::unique_ptr<TSampleDecoder> decoder = c.Make();
        std::vector<TSample> samples;
        for (const TRead &read : c.Reads)
            decoder->Feed(read.Bytes, {}, read.Time, samples);
        ASSERT_EQ(samples.size(), c.ValuesPerItem * c.Items);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            if (k % c.ValuesPerItem != 0) {
                EXPECT_EQ(samples[k].Time, samples[k - 1].Time) << "value " << k << " shares its item's time";
            } else if (k > 0) {
                EXPECT_GT(samples[k].Time, samples[k - 1].Time) << "item " << k / c.ValuesPerItem;
            }
        }
        double latest = 0;
        for (const TRead &read : c.Reads)
            latest = std::max(latest, read.Time);
        EXPECT_GE(samples.front().Time, c.Reads.front().Time);
        EXPECT_LT(samples.back().Time, latest + 0.001) << "items stay by the time they came";
    }
}

} // namespace
