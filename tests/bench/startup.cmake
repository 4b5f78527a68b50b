# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time of the program: from starting the process to its main window painted on a private X desktop.
kelvara_add_benchmark(NAME bench_startup
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/DesktopSupport.cpp)
target_compile_definitions(bench_startup PRIVATE
    KELVARA_XSESSION_SCRIPT="${CMAKE_SOURCE_DIR}/tests/e2e/xsession.sh"
    KELVARA_PROGRAM="$<TARGET_FILE:kelvara>")
add_dependencies(bench_startup kelvara)
