# qubex image logic: QuantizeTo256 of a 2048 x 1536 photo. quantize_compare.sh times the same
# reduction as a whole process beside ImageMagick's `convert -dither None -colors 256`;
# open_compare.sh times opening a JPEG into a window beside djpeg, through the drive client.
if(TARGET qubex_image_logic)
    add_executable(bench_qubex_image ${CMAKE_CURRENT_LIST_DIR}/app_image/quantize_bench.cpp)
    target_link_libraries(bench_qubex_image PRIVATE qubex_image_logic benchmark::benchmark)
endif()
add_executable(bench_qubex_drive ${CMAKE_CURRENT_LIST_DIR}/app_image/drive_client.cpp)
