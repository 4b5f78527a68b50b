# SPDX-License-Identifier: GPL-3.0-or-later
# The binary frame decoder alone: MB/s of frames of three int16 channels with CRC-16/MODBUS.
kelvara_add_benchmark(NAME bench_binary_frames SOURCES ${CMAKE_CURRENT_LIST_DIR}/BinaryFrameBench.cpp
    LIBS kelvara_decoders)
