# qubex movie logic: a camera movie's facts and first picture over FFmpeg beside libjpeg
# decoding the same first picture kept as a JPEG (movie_bench).
if(TARGET qubex_media_logic)
    add_executable(bench_qubex_media ${CMAKE_CURRENT_LIST_DIR}/app_media/movie_bench.cpp)
    target_link_libraries(bench_qubex_media PRIVATE qubex_media_logic rt70sim_core VokExif
                                                    benchmark::benchmark)
endif()
