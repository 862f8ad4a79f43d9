# rt70sim: the camera side of the virtual camera link fed arbitrary bytes on every kind
# of connection, with a small card behind it.
if(TARGET rt70sim_core)
    vok_fuzzer(rt70sim_fuzz_link ${CMAKE_CURRENT_LIST_DIR}/rt70sim_fuzz_link.cpp LIBS rt70sim_core)
endif()
