// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts of the settings file: no input may crash the conversion, and every accepted value formats to a text
// that converts back to the value within the 15 digits kept.
#include "core/ConvertError.h"
#include "settings/ParseNumber.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{

void CheckRoundTrip(double value, std::string_view separator)
{
    // Beyond these magnitudes 15 digits no longer pin a double down (subnormals) or round past the largest one.
    double magnitude = std::fabs(value);
    if (magnitude > 1e307 || (magnitude != 0 && magnitude < 1e-300))
        return;
    std::optional<double> back = TryParseNumber(FormatNumber(value, separator), separator);
    if (!back || std::fabs(*back - value) > magnitude * 1e-14)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    for (std::string_view separator : { ".", ",", "\xC2\xB7" }) {
        std::optional<double> value = TryParseNumber(text, separator);
        if (value)
            CheckRoundTrip(*value, separator);
        try {
            double thrown = ParseNumber(text, separator);
            if (!value || thrown != *value)
                std::abort();
        } catch (const EConvertError &) {
            if (value)
                std::abort();
        }
    }
    return 0;
}
