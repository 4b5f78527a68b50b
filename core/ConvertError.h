// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// A text that could not be turned into a number. what() is the text shown to the user.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const std::string &message)
        : std::runtime_error(message)
    {
    }
};
