# VokReged: cost of one read and one write of the settings store, and of parsing it.
add_executable(reg_bench ${CMAKE_CURRENT_LIST_DIR}/reg_bench.cpp)
target_link_libraries(reg_bench PRIVATE VokReged benchmark::benchmark)
target_include_directories(reg_bench PRIVATE ${PROJECT_SOURCE_DIR}/support/reg)
