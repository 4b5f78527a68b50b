# SPDX-License-Identifier: GPL-3.0-or-later
# The chart trigger's search: how many points a second it looks through, against the 100 000 a second it must follow.
kelvara_add_benchmark(NAME bench_trigger QT SOURCES ${CMAKE_CURRENT_LIST_DIR}/TriggerBench.cpp LIBS kelvara_chart)
