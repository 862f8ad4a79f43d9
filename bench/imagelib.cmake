# VokExif: GetExifData over a folder of generated JPEGs. The file builders of the tests
# make the folder; compare.sh times vokexif against exiftool and exiv2 on the same folder.
add_executable(bench_imagelib ${CMAKE_CURRENT_LIST_DIR}/imagelib/bench_imagelib.cpp
               ${PROJECT_SOURCE_DIR}/tests/imagelib/image_builders.cpp)
target_include_directories(bench_imagelib PRIVATE ${PROJECT_SOURCE_DIR}/tests/imagelib)
target_link_libraries(bench_imagelib PRIVATE VokExif VokCommon JPEG::JPEG benchmark::benchmark)
