# SPDX-License-Identifier: GPL-3.0-or-later
# The history window's benchmark helper (run by history_bench.sh).
add_executable(history_bench ${CMAKE_CURRENT_LIST_DIR}/HistoryBench.cpp)
target_link_libraries(history_bench PRIVATE kelvara_console kelvara_test_support Qt6::Widgets)
add_dependencies(benchmarks history_bench)
