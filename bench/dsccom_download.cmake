# Download to the PC: 20 images of 300 kB to 1 MB from the virtual camera through the whole
# transfer, with the real waits (VOK_TIME_SCALE=1 unless set): time taken against the floor of
# the protocol's fixed 100 ms wait per exchange. One run of about a minute; no framework.
if(TARGET rt70sim AND TARGET VokUsb01)
    add_executable(bench_dsccom_download ${CMAKE_CURRENT_LIST_DIR}/dsccom_download.cpp)
    target_link_libraries(bench_dsccom_download PRIVATE ${VOKCOMRT70_INTERNALS})
    target_compile_definitions(bench_dsccom_download
                               PRIVATE RT70SIM_PATH="$<TARGET_FILE:rt70sim>")
    add_dependencies(bench_dsccom_download rt70sim VokUsb01)
endif()
