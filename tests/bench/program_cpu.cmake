# SPDX-License-Identifier: GPL-3.0-or-later
# The device side of the program CPU benchmark (run by program_cpu_bench.sh): a pty that delivers integer lines at a
# chosen rate.
add_executable(pty_line_feed ${CMAKE_CURRENT_LIST_DIR}/PtyLineFeed.cpp)
target_link_libraries(pty_line_feed PRIVATE kelvara_device_pty)
add_dependencies(benchmarks pty_line_feed kelvara kelvara-demo-device)
