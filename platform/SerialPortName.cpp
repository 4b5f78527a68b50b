// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialPortName.h"

#include <cctype>

std::string SerialDevicePath(std::string_view portName)
{
    if (portName.size() > 3 && std::toupper(static_cast<unsigned char>(portName[0])) == 'C'
        && std::toupper(static_cast<unsigned char>(portName[1])) == 'O'
        && std::toupper(static_cast<unsigned char>(portName[2])) == 'M') {
        std::string_view digits = portName.substr(3);
        long number = 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || number > 100000)
                return std::string(portName);
            number = number * 10 + (c - '0');
        }
        if (number >= 1)
            return "/dev/ttyS" + std::to_string(number - 1);
    }
    return std::string(portName);
}
