# The serial component's reception through a pty into OnReceiveData: MB/s and CPU seconds per MB.
if(NOT TARGET benchmark::benchmark)
    find_package(benchmark REQUIRED)
endif()
add_executable(bench_receive ${CMAKE_CURRENT_LIST_DIR}/ReceiveBench.cpp)
target_link_libraries(bench_receive PRIVATE kelvara_comm kelvara_test_support benchmark::benchmark Qt6::Core)
add_dependencies(benchmarks bench_receive)
