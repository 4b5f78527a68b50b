// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FrameSettings.h"

#include "core/HexDigit.h"
#include "settings/ExtensionSettings.h"

#include <algorithm>
#include <cctype>

namespace
{

template <typename T> struct TWord {
    T Value;
    std::string_view Word;
};

constexpr TWord<TSampleType> SampleTypeWords[] = {
    { TSampleType::UInt8, "uint8" },
    { TSampleType::Int8, "int8" },
    { TSampleType::UInt16, "uint16" },
    { TSampleType::Int16, "int16" },
    { TSampleType::UInt32, "uint32" },
    { TSampleType::Int32, "int32" },
    { TSampleType::Float32, "float32" },
    { TSampleType::Float64, "float64" },
};

constexpr TWord<TByteOrder> ByteOrderWords[] = {
    { TByteOrder::Little, "little" },
    { TByteOrder::Big, "big" },
};

constexpr TWord<TFrameLength> FrameLengthWords[] = {
    { TFrameLength::Fixed, "fixed" },
    { TFrameLength::Byte, "u8" },
    { TFrameLength::TwoBytes, "u16" },
};

constexpr TWord<TChecksumKind> ChecksumWords[] = {
    { TChecksumKind::None, "none" },
    { TChecksumKind::Sum8, "sum8" },
    { TChecksumKind::Xor8, "xor8" },
    { TChecksumKind::Crc16Modbus, "crc16modbus" },
    { TChecksumKind::Crc16CcittFalse, "crc16ccittfalse" },
    { TChecksumKind::Crc32, "crc32" },
};

constexpr TWord<TChecksumScope> ChecksumScopeWords[] = {
    { TChecksumScope::LengthAndData, "length_and_data" },
    { TChecksumScope::Data, "data" },
};

constexpr TWord<TChecksumOrder> ChecksumOrderWords[] = {
    { TChecksumOrder::Frame, "frame" },
    { TChecksumOrder::Big, "big" },
    { TChecksumOrder::Little, "little" },
};

template <typename T, std::size_t N> std::string_view WordOf(const TWord<T> (&words)[N], T value)
{
    for (const TWord<T> &word : words) {
        if (word.Value == value)
            return word.Word;
    }
    return words[0].Word;
}

template <typename T, std::size_t N> std::optional<T> ValueOf(const TWord<T> (&words)[N], std::string_view text)
{
    const auto same = [text](std::string_view word) {
        return std::equal(word.begin(), word.end(), text.begin(), text.end(),
            [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    };
    for (const TWord<T> &word : words) {
        if (same(word.Word))
            return word.Value;
    }
    return std::nullopt;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string ReadWord(const std::string &path, const char *key)
{
    return ExtensionSettings::ReadText(path, key, "");
}

} // namespace

std::string_view SampleTypeWord(TSampleType type)
{
    return WordOf(SampleTypeWords, type);
}

std::optional<TSampleType> SampleTypeOfWord(std::string_view word)
{
    return ValueOf(SampleTypeWords, word);
}

std::string_view ByteOrderWord(TByteOrder order)
{
    return WordOf(ByteOrderWords, order);
}

std::optional<TByteOrder> ByteOrderOfWord(std::string_view word)
{
    return ValueOf(ByteOrderWords, word);
}

std::string_view FrameLengthWord(TFrameLength length)
{
    return WordOf(FrameLengthWords, length);
}

std::optional<TFrameLength> FrameLengthOfWord(std::string_view word)
{
    return ValueOf(FrameLengthWords, word);
}

std::string_view ChecksumWord(TChecksumKind kind)
{
    return WordOf(ChecksumWords, kind);
}

std::optional<TChecksumKind> ChecksumOfWord(std::string_view word)
{
    return ValueOf(ChecksumWords, word);
}

std::string_view ChecksumScopeWord(TChecksumScope scope)
{
    return WordOf(ChecksumScopeWords, scope);
}

std::optional<TChecksumScope> ChecksumScopeOfWord(std::string_view word)
{
    return ValueOf(ChecksumScopeWords, word);
}

std::string_view ChecksumOrderWord(TChecksumOrder order)
{
    return WordOf(ChecksumOrderWords, order);
}

std::optional<TChecksumOrder> ChecksumOrderOfWord(std::string_view word)
{
    return ValueOf(ChecksumOrderWords, word);
}

std::optional<std::string> ParseFrameHeader(std::string_view hex)
{
    std::string bytes;
    std::size_t i = 0;
    while (i < hex.size()) {
        if (IsBlank(hex[i])) {
            ++i;
            continue;
        }
        // A pair must stand whole: "A A55" and "AA5" are not headers.
        if (i + 1 >= hex.size())
            return std::nullopt;
        const int high = HexDigitValue(hex[i]);
        const int low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0 || bytes.size() == TFrameFormat::MaxHeader)
            return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return bytes;
}

std::string FrameHeaderHex(std::string_view bytes, std::string_view separator)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        if (!text.empty())
            text += separator;
        text += Digits[byte >> 4];
        text += Digits[byte & 0x0F];
    }
    return text;
}

TBinaryFrameSettings ReadBinaryFrameSettings(const std::string &path)
{
    using namespace ExtensionSettings;
    TBinaryFrameSettings settings;
    TFrameFormat &format = settings.Format;
    settings.Enabled = ReadFlag(path, BinaryKey, false);
    format.Header = ParseFrameHeader(ReadWord(path, FrameHeaderKey)).value_or(format.Header);
    const int32_t channels = ReadInteger(path, FrameChannelsKey, format.Channels);
    if (channels >= 1 && channels <= TFrameFormat::MaxChannels)
        format.Channels = channels;
    format.Type = SampleTypeOfWord(ReadWord(path, FrameTypeKey)).value_or(format.Type);
    format.Order = ByteOrderOfWord(ReadWord(path, FrameEndianKey)).value_or(format.Order);
    format.Length = FrameLengthOfWord(ReadWord(path, FrameLengthKey)).value_or(format.Length);
    format.Checksum = ChecksumOfWord(ReadWord(path, FrameChecksumKey)).value_or(format.Checksum);
    format.ChecksumScope = ChecksumScopeOfWord(ReadWord(path, FrameChecksumScopeKey)).value_or(format.ChecksumScope);
    format.ChecksumOrder = ChecksumOrderOfWord(ReadWord(path, FrameChecksumEndianKey)).value_or(format.ChecksumOrder);
    return settings;
}

bool WriteBinaryFrameSettings(const std::string &path, const TBinaryFrameSettings &settings)
{
    using namespace ExtensionSettings;
    const TFrameFormat &format = settings.Format;
    return WriteFlag(path, BinaryKey, settings.Enabled)
        && WriteText(path, FrameHeaderKey, FrameHeaderHex(format.Header))
        && WriteInteger(path, FrameChannelsKey, format.Channels)
        && WriteText(path, FrameTypeKey, SampleTypeWord(format.Type))
        && WriteText(path, FrameEndianKey, ByteOrderWord(format.Order))
        && WriteText(path, FrameLengthKey, FrameLengthWord(format.Length))
        && WriteText(path, FrameChecksumKey, ChecksumWord(format.Checksum))
        && WriteText(path, FrameChecksumScopeKey, ChecksumScopeWord(format.ChecksumScope))
        && WriteText(path, FrameChecksumEndianKey, ChecksumOrderWord(format.ChecksumOrder));
}
