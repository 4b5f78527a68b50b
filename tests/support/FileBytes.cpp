// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FileBytes.h"

#include <fstream>
#include <sstream>

std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
