# rt70sim and VokUsb01: one 32 KiB block read answered by the camera logic in process,
# the same read as the host does it (open per transfer, peek, full read) through
# libVokUsb01 and the rt70sim program, a plain copy of the bytes, and thumbnail making.
if(TARGET rt70sim_core AND TARGET VokUsb01)
    add_executable(rt70sim_bench ${CMAKE_CURRENT_LIST_DIR}/rt70sim_bench.cpp)
    target_link_libraries(rt70sim_bench PRIVATE rt70sim_core VokUsb01 benchmark::benchmark)
    add_dependencies(rt70sim_bench rt70sim)
endif()
