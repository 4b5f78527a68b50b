# SPDX-License-Identifier: GPL-3.0-or-later
# The serial component's reception through a pty into OnReceiveData: MB/s and CPU seconds per MB.
kelvara_add_benchmark(NAME bench_receive SOURCES ${CMAKE_CURRENT_LIST_DIR}/ReceiveBench.cpp
    LIBS kelvara_comm kelvara_test_support Qt6::Core)
