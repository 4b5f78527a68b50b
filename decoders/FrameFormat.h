// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/Checksum.h"

#include <cstddef>
#include <string>

enum class TSampleType { UInt8, Int8, UInt16, Int16, UInt32, Int32, Float32, Float64 };
enum class TByteOrder { Little, Big };

// Where a frame's payload length comes from: the channel count (every frame the same), or a field of one or two
// bytes right after the header giving the payload's byte count (two bytes in the frame's byte order).
enum class TFrameLength { Fixed, Byte, TwoBytes };

// The bytes a frame's checksum covers: everything after the header up to the checksum (the length field included),
// or the payload alone.
enum class TChecksumScope { LengthAndData, Data };

// The order of a checksum's bytes: Frame follows the frame's byte order, except CRC-16/MODBUS, always low byte first;
// Big and Little hold for every checksum of more than one byte.
enum class TChecksumOrder { Frame, Big, Little };

// The shape of the binary frames a device sends: header, [length field], payload of samples, [checksum]. The checksum
// covers the bytes ChecksumScope says and is sent in the order ChecksumOrder says.
struct TFrameFormat {
    static constexpr std::size_t MaxHeader = 8;
    static constexpr int MaxChannels = 16;

    std::string Header; // 0 to MaxHeader bytes; none means frames follow each other back to back
    int Channels = 1; // 1 to MaxChannels: samples in a frame of fixed length, the most a length field may give
    TSampleType Type = TSampleType::Int16;
    TByteOrder Order = TByteOrder::Little;
    TFrameLength Length = TFrameLength::Fixed;
    TChecksumKind Checksum = TChecksumKind::None;
    TChecksumScope ChecksumScope = TChecksumScope::LengthAndData;
    TChecksumOrder ChecksumOrder = TChecksumOrder::Frame;

    bool operator==(const TFrameFormat &) const = default;
};

// Bytes of one sample: 1, 2, 4 or 8.
std::size_t SampleSize(TSampleType type);
