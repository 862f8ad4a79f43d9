# qubex album logic: opening and making an album of 100 camera-size JPEGs, each beside its
# baseline in the same run (album_bench); make_compare.sh times vokalbum as a process beside
# ImageMagick's thumbnails and djpeg.
if(TARGET qubex_album_logic)
    add_executable(bench_qubex_album ${CMAKE_CURRENT_LIST_DIR}/app_album/album_bench.cpp)
    target_link_libraries(bench_qubex_album PRIVATE qubex_album_logic VokExif
                                                    benchmark::benchmark)
endif()
