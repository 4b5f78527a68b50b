// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, the process may write files of at most `bytes` bytes, as on a full disk: a write past the limit
// fails with EFBIG instead of raising SIGXFSZ.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t bytes);
    ~TFileSizeLimit();
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit FOld {};
    void (*FOldHandler)(int) = nullptr;
};
