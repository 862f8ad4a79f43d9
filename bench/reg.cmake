# VokReged: cost of one read and one write of the settings store, and of parsing it.
add_executable(bench_reg ${CMAKE_CURRENT_LIST_DIR}/reg_bench.cpp)
target_link_libraries(bench_reg PRIVATE VokRegedObjects benchmark::benchmark)
