# SPDX-License-Identifier: GPL-3.0-or-later
# The console's receive benchmark helper (run by console_receive_bench.sh).
add_executable(console_receive_bench ${CMAKE_CURRENT_LIST_DIR}/ConsoleReceiveBench.cpp)
target_link_libraries(console_receive_bench PRIVATE kelvara_bench_console kelvara_bench_support)
add_dependencies(benchmarks console_receive_bench)
