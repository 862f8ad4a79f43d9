# VokComRT70: cost of framing and checking a 32 KiB block packet, and of a whole block read
# through an injected link with the waits scaled to zero, against a plain copy of the bytes.
add_executable(bench_dsccom ${CMAKE_CURRENT_LIST_DIR}/dsccom_bench.cpp)
target_link_libraries(bench_dsccom PRIVATE ${VOKCOMRT70_INTERNALS} benchmark::benchmark)
