# VokExif writing side: camera-form conversion of a 2048 x 1536 JPEG (image data kept,
# recompressed, scaled to 640 x 480). write_compare.sh times libjpeg-turbo's djpeg and
# cjpeg on the same work.
add_executable(bench_imagelib_write ${CMAKE_CURRENT_LIST_DIR}/imagelib/write_bench.cpp)
target_link_libraries(bench_imagelib_write PRIVATE VokExif JPEG::JPEG benchmark::benchmark)
