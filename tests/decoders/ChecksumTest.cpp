// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/Checksum.h"

#include <gtest/gtest.h>
#include <ostream>

namespace
{

struct TCheckCase {
    const char *Name;
    TChecksumKind Kind;
    std::size_t Size;
    uint32_t Check; // of "123456789", as published for each algorithm
};

void PrintTo(const TCheckCase &c, std::ostream *os)
{
    *os << c.Name;
}

class ChecksumTest : public testing::TestWithParam<TCheckCase>
{
};

TEST_P(ChecksumTest, GivesThePublishedCheckValueOfTheNineDigits)
{
    const TCheckCase &c = GetParam();
    EXPECT_EQ(ComputeChecksum(c.Kind, "123456789"), c.Check);
    EXPECT_EQ(ChecksumSize(c.Kind), c.Size);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ChecksumTest,
    testing::Values(TCheckCase { "None", TChecksumKind::None, 0, 0 },
        TCheckCase { "Sum8", TChecksumKind::Sum8, 1, 0xDD }, TCheckCase { "Xor8", TChecksumKind::Xor8, 1, 0x31 },
        TCheckCase { "Crc16Modbus", TChecksumKind::Crc16Modbus, 2, 0x4B37 },
        TCheckCase { "Crc16CcittFalse", TChecksumKind::Crc16CcittFalse, 2, 0x29B1 },
        TCheckCase { "Crc32", TChecksumKind::Crc32, 4, 0xCBF43926 }),
    [](const testing::TestParamInfo<TCheckCase> &info) { return std::string(info.param.Name); });

} // namespace
