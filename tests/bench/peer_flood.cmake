# SPDX-License-Identifier: GPL-3.0-or-later
# A peer on loopback that floods tcp:// and rfc2217:// ports: time, MB/s and peak resident memory growth.
kelvara_add_benchmark(NAME bench_peer_flood SOURCES ${CMAKE_CURRENT_LIST_DIR}/PeerFloodBench.cpp
    LIBS kelvara_comm Qt6::Core)
