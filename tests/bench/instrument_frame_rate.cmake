# SPDX-License-Identifier: GPL-3.0-or-later
# The main chart's frame rate with the instruments off and on (run by instrument_frame_rate_bench.sh).
add_executable(instrument_frame_rate_bench ${CMAKE_CURRENT_LIST_DIR}/InstrumentFrameRateBench.cpp)
target_link_libraries(instrument_frame_rate_bench PRIVATE kelvara_bench_console kelvara_bench_support)
add_dependencies(benchmarks instrument_frame_rate_bench)
