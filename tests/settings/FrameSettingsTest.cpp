// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FrameSettings.h"

#include "settings/ExtensionSettings.h"
#include "settings/PortSettings.h"
#include "tests/support/FileBytes.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace
{

// A settings file whose extension section holds `lines` ("key=value\r\n" each).
std::string WriteExtensionSection(const QTemporaryDir &folder, const std::string &lines)
{
    const std::string path = folder.filePath("setfile.ini").toStdString();
    std::ofstream(path, std::ios::binary) << "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\n" << lines;
    return path;
}

TFrameFormat Format(std::string header, int channels, TSampleType type, TByteOrder order, TFrameLength length,
    TChecksumKind checksum, TChecksumScope scope, TChecksumOrder checksumOrder)
{
    return { std::move(header), channels, type, order, length, checksum, scope, checksumOrder };
}

} // namespace

TEST(FrameSettings, WithoutAFileTheDefaultsHold)
{
    QTemporaryDir folder;
    EXPECT_EQ(ReadBinaryFrameSettings(folder.filePath("setfile.ini").toStdString()), TBinaryFrameSettings {});
    const TFrameFormat defaults;
    EXPECT_EQ(defaults,
        Format("", 1, TSampleType::Int16, TByteOrder::Little, TFrameLength::Fixed, TChecksumKind::None,
            TChecksumScope::LengthAndData, TChecksumOrder::Frame));
}

TEST(FrameSettings, WhatIsWrittenReadsBackBesideThePortSection)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("setfile.ini").toStdString();
    SavePortSettings(path, { "COM3", "115200", "8", "无", "否", "1" });
    const std::string portSection = FileBytes(path);

    const TBinaryFrameSettings chosen { true,
        Format("\xAA\x55", 3, TSampleType::Float32, TByteOrder::Big, TFrameLength::TwoBytes,
            TChecksumKind::Crc16CcittFalse, TChecksumScope::Data, TChecksumOrder::Little) };
    ASSERT_TRUE(WriteBinaryFrameSettings(path, chosen));
    EXPECT_EQ(ReadBinaryFrameSettings(path), chosen);
    EXPECT_EQ(FileBytes(path),
        portSection
            + "[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]\r\nbinary=1\r\nframe_header=AA55\r\nframe_channels=3\r\n"
              "frame_type=float32\r\nframe_endian=big\r\nframe_length=u16\r\nframe_checksum=crc16ccittfalse\r\n"
              "frame_checksum_scope=data\r\nframe_checksum_endian=little\r\n");

    // Every type, order, length, checksum, scope and checksum order survives the file (each file write is a whole
    // atomic save, so the words are paired up rather than crossed).
    const TSampleType types[] = { TSampleType::UInt8, TSampleType::Int8, TSampleType::UInt16, TSampleType::Int16,
        TSampleType::UInt32, TSampleType::Int32, TSampleType::Float32, TSampleType::Float64 };
    const TChecksumKind checksums[] = { TChecksumKind::None, TChecksumKind::Sum8, TChecksumKind::Xor8,
        TChecksumKind::Crc16Modbus, TChecksumKind::Crc16CcittFalse, TChecksumKind::Crc32 };
    for (int i = 0; i < 8; ++i) {
        const TBinaryFrameSettings settings { i % 2 == 0,
            Format(std::string("\x00\x01\xFE\xFF\x10\x20\x30\x40", 8 - i), 16 - i, types[i],
                static_cast<TByteOrder>(i % 2), static_cast<TFrameLength>(i % 3), checksums[i % 6],
                static_cast<TChecksumScope>(i / 2 % 2), static_cast<TChecksumOrder>(i % 3)) };
        ASSERT_TRUE(WriteBinaryFrameSettings(path, settings));
        EXPECT_EQ(ReadBinaryFrameSettings(path), settings) << "row " << i;
    }
}

TEST(FrameSettings, EachBadValueFallsBackToItsOwnDefaultAndLeavesTheOthers)
{
    // Every row but the bad key holds a good value, so a fallback that spreads to another key shows.
    const std::string good = "binary=1\r\nframe_header=AA55\r\nframe_channels=4\r\nframe_type=uint32\r\n"
                             "frame_endian=big\r\nframe_length=u8\r\nframe_checksum=crc32\r\n"
                             "frame_checksum_scope=data\r\nframe_checksum_endian=little\r\n";
    const TBinaryFrameSettings goodSettings { true,
        Format("\xAA\x55", 4, TSampleType::UInt32, TByteOrder::Big, TFrameLength::Byte, TChecksumKind::Crc32,
            TChecksumScope::Data, TChecksumOrder::Little) };
    const struct {
        const char *Name;
        const char *Key;
        const char *Value;
        void (*Expect)(TBinaryFrameSettings &);
    } rows[] = {
        { "binary not a number", "binary", "yes", [](TBinaryFrameSettings &s) { s.Enabled = false; } },
        { "header odd digits", "frame_header", "AA5", [](TBinaryFrameSettings &s) { s.Format.Header.clear(); } },
        { "header not hex", "frame_header", "AZ55", [](TBinaryFrameSettings &s) { s.Format.Header.clear(); } },
        { "header of nine bytes", "frame_header", "010203040506070809",
            [](TBinaryFrameSettings &s) { s.Format.Header.clear(); } },
        { "no channels", "frame_channels", "0", [](TBinaryFrameSettings &s) { s.Format.Channels = 1; } },
        { "seventeen channels", "frame_channels", "17", [](TBinaryFrameSettings &s) { s.Format.Channels = 1; } },
        { "channels with a tail", "frame_channels", "3x", [](TBinaryFrameSettings &s) { s.Format.Channels = 1; } },
        { "unknown type", "frame_type", "int64", [](TBinaryFrameSettings &s) { s.Format.Type = TSampleType::Int16; } },
        { "unknown order", "frame_endian", "middle",
            [](TBinaryFrameSettings &s) { s.Format.Order = TByteOrder::Little; } },
        { "unknown length", "frame_length", "u32",
            [](TBinaryFrameSettings &s) { s.Format.Length = TFrameLength::Fixed; } },
        { "unknown checksum", "frame_checksum", "crc8",
            [](TBinaryFrameSettings &s) { s.Format.Checksum = TChecksumKind::None; } },
        { "empty checksum", "frame_checksum", "",
            [](TBinaryFrameSettings &s) { s.Format.Checksum = TChecksumKind::None; } },
        { "unknown scope", "frame_checksum_scope", "payload",
            [](TBinaryFrameSettings &s) { s.Format.ChecksumScope = TChecksumScope::LengthAndData; } },
        { "scope of a near word", "frame_checksum_scope", "length",
            [](TBinaryFrameSettings &s) { s.Format.ChecksumScope = TChecksumScope::LengthAndData; } },
        { "unknown checksum order", "frame_checksum_endian", "middle",
            [](TBinaryFrameSettings &s) { s.Format.ChecksumOrder = TChecksumOrder::Frame; } },
        { "empty checksum order", "frame_checksum_endian", "",
            [](TBinaryFrameSettings &s) { s.Format.ChecksumOrder = TChecksumOrder::Frame; } },
    };
    for (const auto &row : rows) {
        QTemporaryDir folder;
        std::string lines = good;
        const std::string keyAt = std::string(row.Key) + "=";
        const std::size_t start = lines.find(keyAt);
        const std::size_t end = lines.find("\r\n", start);
        lines.replace(start, end - start, keyAt + row.Value);
        TBinaryFrameSettings expected = goodSettings;
        row.Expect(expected);
        EXPECT_EQ(ReadBinaryFrameSettings(WriteExtensionSection(folder, lines)), expected) << row.Name;
    }
}

TEST(FrameSettings, WordsAndHeadersAreReadLeniently)
{
    QTemporaryDir folder;
    const std::string path = WriteExtensionSection(folder,
        "frame_header=aa 55\r\nframe_type=FLOAT64\r\nframe_endian=Big\r\nframe_checksum=CRC16MODBUS\r\n"
        "frame_checksum_scope=DATA\r\nframe_checksum_endian=Big\r\n");
    const TBinaryFrameSettings read = ReadBinaryFrameSettings(path);
    EXPECT_EQ(read.Format.Header, "\xAA\x55");
    EXPECT_EQ(read.Format.Type, TSampleType::Float64);
    EXPECT_EQ(read.Format.Order, TByteOrder::Big);
    EXPECT_EQ(read.Format.Checksum, TChecksumKind::Crc16Modbus);
    EXPECT_EQ(read.Format.ChecksumScope, TChecksumScope::Data);
    EXPECT_EQ(read.Format.ChecksumOrder, TChecksumOrder::Big);
}

TEST(FrameSettings, HeaderHex)
{
    const struct {
        const char *Text;
        std::optional<std::string> Bytes;
    } rows[] = {
        { "", std::string() },
        { "  ", std::string() },
        { "AA55", std::string("\xAA\x55") },
        { "aa 55", std::string("\xAA\x55") },
        { "\tAA\t55 ", std::string("\xAA\x55") },
        { "00", std::string(1, '\0') },
        { "0102030405060708", std::string("\x01\x02\x03\x04\x05\x06\x07\x08") },
        { "010203040506070809", std::nullopt },
        { "A", std::nullopt },
        { "A A55", std::nullopt },
        { "AA5", std::nullopt },
        { "0xAA", std::nullopt },
        { "AA,55", std::nullopt },
        { "GG", std::nullopt },
    };
    for (const auto &row : rows)
        EXPECT_EQ(ParseFrameHeader(row.Text), row.Bytes) << '"' << row.Text << '"';
    EXPECT_EQ(FrameHeaderHex("\xAA\x55\x0F"), "AA550F");
    EXPECT_EQ(FrameHeaderHex("\xAA\x55\x0F", " "), "AA 55 0F");
    EXPECT_EQ(FrameHeaderHex(""), "");
}
