# SPDX-License-Identifier: GPL-3.0-or-later
# The line decoders on their own: labelled value lists and whole-number lines turned into samples.
kelvara_add_benchmark(NAME bench_line_decoders SOURCES ${CMAKE_CURRENT_LIST_DIR}/LineDecodersBench.cpp
    LIBS kelvara_decoders)
