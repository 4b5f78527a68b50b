// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The checks a binary frame can carry after its payload.
enum class TChecksumKind {
    None,
    Sum8, // the bytes added, modulo 256
    Xor8, // the bytes combined with exclusive or
    Crc16Modbus, // reflected polynomial 0x8005, start 0xFFFF
    Crc16CcittFalse, // polynomial 0x1021, start 0xFFFF, not reflected
    Crc32, // reflected polynomial 0x04C11DB7, start and final xor 0xFFFFFFFF
};

// How many bytes the check takes in a frame: 0, 1, 2 or 4.
std::size_t ChecksumSize(TChecksumKind kind);

// The check of `bytes` (0 for None), in the low ChecksumSize(kind) bytes of the result.
uint32_t ComputeChecksum(TChecksumKind kind, std::string_view bytes);
