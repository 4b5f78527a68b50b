// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FileSizeLimit.h"

TFileSizeLimit::TFileSizeLimit(rlim_t bytes)
{
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit limit = FOld;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
}
