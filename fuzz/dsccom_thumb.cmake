# Thumbnail rendering: whole renderings of arbitrary JPEG bytes and the bitmap file reader on
# arbitrary bytes. The rendering sources are compiled into the fuzzer so that their coverage
# guides it.
set(thumb_src ${PROJECT_SOURCE_DIR}/dsccom/thumbnail)
vok_fuzzer(dsccom_thumb_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dsccom_thumb_fuzzer.cpp
           ${thumb_src}/ThumbImage.cpp ${thumb_src}/ThumbFile.cpp ${thumb_src}/thumb_jpeg.c
           LIBS VokDscMsg Qt6::Core JPEG::JPEG)
target_include_directories(dsccom_thumb_fuzzer PRIVATE ${thumb_src})
