# Thumbnail rendering: whole renderings of arbitrary JPEG bytes and the bitmap file reader on
# arbitrary bytes. The rendering sources and the libjpeg boundary are compiled into the fuzzer
# so that their coverage guides it.
set(thumb_src ${PROJECT_SOURCE_DIR}/dsccom/thumbnail)
vok_fuzzer(dsccom_thumb_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dsccom_thumb_fuzzer.cpp
           ${thumb_src}/ThumbImage.cpp ${thumb_src}/ThumbFile.cpp ${thumb_src}/thumb_jpeg.c
           ${PROJECT_SOURCE_DIR}/imagelib/jpeg_boundary.c
           LIBS VokDscMsg VokCommon Qt6::Core JPEG::JPEG)
target_include_directories(dsccom_thumb_fuzzer PRIVATE ${thumb_src} ${PROJECT_SOURCE_DIR}/imagelib)
