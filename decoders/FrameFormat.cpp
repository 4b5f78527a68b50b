// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/FrameFormat.h"

std::size_t SampleSize(TSampleType type)
{
    switch (type) {
    case TSampleType::UInt8:
    case TSampleType::Int8:
        return 1;
    case TSampleType::UInt16:
    case TSampleType::Int16:
        return 2;
    case TSampleType::UInt32:
    case TSampleType::Int32:
    case TSampleType::Float32:
        return 4;
    case TSampleType::Float64:
        return 8;
    }
    return 1;
}
