// SPDX-License-Identifier: GPL-3.0-or-later
// Integer texts: no input may crash the conversion, and every accepted value prints back to a text that converts to
// the same value.
#include "core/IntToStr.h"
#include "core/ParseInteger.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    if (std::optional<int32_t> value = TryParseInteger(text)) {
        if (TryParseInteger(IntToStr(*value)) != value)
            std::abort();
    }
    return 0;
}
