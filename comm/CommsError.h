// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// A serial port that could not be opened. what() is the fixed English text shown to the user.
class ECommsError : public std::runtime_error
{
public:
    explicit ECommsError(const std::string &message)
        : std::runtime_error(message)
    {
    }
};
