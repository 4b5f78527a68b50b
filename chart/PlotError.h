// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// A failure raised by the chart. what() is the chart's fixed English text.
class EPlotError : public std::runtime_error
{
public:
    explicit EPlotError(const std::string &message)
        : std::runtime_error(message)
    {
    }

    // An index outside a list of chart objects.
    static EPlotError ListIndex(int index)
    {
        return EPlotError("List index out of bounds (" + std::to_string(index) + ")");
    }
};
