# SPDX-License-Identifier: GPL-3.0-or-later
# How far the chart is behind a steady device (run by chart_lag_bench.sh).
add_executable(chart_lag_bench ${CMAKE_CURRENT_LIST_DIR}/ChartLagBench.cpp)
target_link_libraries(chart_lag_bench PRIVATE kelvara_bench_console kelvara_bench_support)
add_dependencies(benchmarks chart_lag_bench)
