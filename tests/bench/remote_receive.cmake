# SPDX-License-Identifier: GPL-3.0-or-later
# Reception from a remote port through ser2net on loopback, and a local pty at the same rate: MB/s and CPU per MB.
kelvara_add_benchmark(NAME bench_remote_receive SOURCES ${CMAKE_CURRENT_LIST_DIR}/RemoteReceiveBench.cpp
    LIBS kelvara_comm kelvara_test_support Qt6::Core)
