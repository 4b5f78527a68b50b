# SPDX-License-Identifier: GPL-3.0-or-later
# The chart's multi-channel mode and CSV export: feeding lines of eight values, painting eight channels, exporting.
kelvara_add_benchmark(NAME bench_multichannel QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/MultiChannelBench.cpp
    LIBS kelvara_console)
