# SPDX-License-Identifier: GPL-3.0-or-later
# The receive path from a received block to chart points, without the serial component or the panes' painting.
kelvara_add_benchmark(NAME bench_receive_path QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/ReceivePathBench.cpp
    LIBS kelvara_console)
