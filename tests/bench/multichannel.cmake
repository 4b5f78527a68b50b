# The chart's multi-channel mode and CSV export: feeding lines of eight values, painting eight channels, exporting.
if(NOT TARGET benchmark::benchmark)
    find_package(benchmark REQUIRED)
endif()
add_executable(bench_multichannel ${CMAKE_CURRENT_LIST_DIR}/MultiChannelBench.cpp)
target_link_libraries(bench_multichannel PRIVATE kelvara_console benchmark::benchmark Qt6::Widgets)
add_dependencies(benchmarks bench_multichannel)
