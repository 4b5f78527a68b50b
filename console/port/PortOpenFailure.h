// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The reason an open of a serial device failed, in the user's words, from the errno value that the open itself gave
// (0 when there is none). A remote port's reasons are those of its connection attempt.
std::string OpenFailureReason(int error);

// The lines that follow the open-failure box's first line: "<path>：<reason>", then the permission advice when there
// is one. For a remote port the path is its name, which holds the host.
std::string OpenFailureDetail(const std::string &devicePath, int error, const std::string &permissionAdvice);
