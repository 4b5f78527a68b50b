# Start-up time of the program: from starting the process to its main window painted on a private X desktop.
if(NOT TARGET benchmark::benchmark)
    find_package(benchmark REQUIRED)
endif()
add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/DesktopSupport.cpp)
target_link_libraries(bench_startup PRIVATE benchmark::benchmark)
target_compile_definitions(bench_startup PRIVATE
    KELVARA_XSESSION_SCRIPT="${CMAKE_SOURCE_DIR}/tests/e2e/xsession.sh"
    KELVARA_PROGRAM="$<TARGET_FILE:kelvara>")
add_dependencies(bench_startup kelvara)
add_dependencies(benchmarks bench_startup)
