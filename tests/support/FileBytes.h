// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The bytes of a file exactly as they are on disk; empty when it cannot be read.
std::string FileBytes(const std::string &path);
