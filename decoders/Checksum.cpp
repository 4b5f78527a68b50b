// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/Checksum.h"

#include <array>

namespace
{

// Byte-at-a-time tables, built while compiling.
constexpr std::array<uint32_t, 256> ReflectedTable(uint32_t reflectedPolynomial)
{
    std::array<uint32_t, 256> table {};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ reflectedPolynomial : crc >> 1;
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> Forward16Table(uint16_t polynomial)
{
    std::array<uint16_t, 256> table {};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ polynomial : crc << 1);
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<uint32_t, 256> ModbusTable = ReflectedTable(0xA001);
constexpr std::array<uint16_t, 256> CcittTable = Forward16Table(0x1021);
constexpr std::array<uint32_t, 256> Crc32Table = ReflectedTable(0xEDB88320);

uint32_t Reflected(const std::array<uint32_t, 256> &table, uint32_t crc, const unsigned char *p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        crc = (crc >> 8) ^ table[(crc ^ p[i]) & 0xFF];
    return crc;
}

} // namespace

std::size_t ChecksumSize(TChecksumKind kind)
{
    switch (kind) {
    case TChecksumKind::None:
        return 0;
    case TChecksumKind::Sum8:
    case TChecksumKind::Xor8:
        return 1;
    case TChecksumKind::Crc16Modbus:
    case TChecksumKind::Crc16CcittFalse:
        return 2;
    case TChecksumKind::Crc32:
        return 4;
    }
    return 0;
}

uint32_t ComputeChecksum(TChecksumKind kind, std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t n = bytes.size();
    switch (kind) {
    case TChecksumKind::None:
        return 0;
    case TChecksumKind::Sum8: {
        uint32_t sum = 0;
        for (std::size_t i = 0; i < n; ++i)
            sum += p[i];
        return sum & 0xFF;
    }
    case TChecksumKind::Xor8: {
        uint32_t x = 0;
        for (std::size_t i = 0; i < n; ++i)
            x ^= p[i];
        return x;
    }
    case TChecksumKind::Crc16Modbus:
        return Reflected(ModbusTable, 0xFFFF, p, n);
    case TChecksumKind::Crc16CcittFalse: {
        uint16_t crc = 0xFFFF;
        for (std::size_t i = 0; i < n; ++i)
            crc = static_cast<uint16_t>((crc << 8) ^ CcittTable[((crc >> 8) ^ p[i]) & 0xFF]);
        return crc;
    }
    case TChecksumKind::Crc32:
        return Reflected(Crc32Table, 0xFFFFFFFF, p, n) ^ 0xFFFFFFFF;
    }
    return 0;
}
