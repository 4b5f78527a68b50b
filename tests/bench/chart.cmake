# SPDX-License-Identifier: GPL-3.0-or-later
# The chart's benchmarks: adding points, memory per stored point, and painting against the number of stored points.
kelvara_add_benchmark(NAME bench_chart QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChartBench.cpp LIBS kelvara_chart)
