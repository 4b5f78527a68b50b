# How far the chart is behind a steady device (run by chart_lag_bench.sh).
add_executable(chart_lag_bench ${CMAKE_CURRENT_LIST_DIR}/ChartLagBench.cpp)
target_link_libraries(chart_lag_bench PRIVATE kelvara_console kelvara_comm kelvara_test_support Qt6::Widgets)
add_dependencies(benchmarks chart_lag_bench)
