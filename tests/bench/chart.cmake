# The chart's benchmarks: adding points, memory per stored point, and painting against the number of stored points.
if(NOT TARGET benchmark::benchmark)
    find_package(benchmark REQUIRED)
endif()
add_executable(bench_chart ${CMAKE_CURRENT_LIST_DIR}/ChartBench.cpp)
target_link_libraries(bench_chart PRIVATE kelvara_chart benchmark::benchmark Qt6::Widgets)
add_dependencies(benchmarks bench_chart)
