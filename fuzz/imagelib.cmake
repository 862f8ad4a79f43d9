# VokExif: one fuzz target per reading entry point (header cut with libjpeg's header
# reading, classification, directory search, frame reading, Huffman check, TIFF tags).
# The library's sources are compiled once with coverage instrumentation and linked into
# every target, so that coverage of the walks guides the fuzzer.
get_property(vokexif_sources GLOBAL PROPERTY VOKEXIF_SOURCES)
get_property(vokexif_dir GLOBAL PROPERTY VOKEXIF_SOURCE_DIR)
add_library(vokexif_fuzz_objects OBJECT ${vokexif_sources})
target_compile_options(vokexif_fuzz_objects PRIVATE -fsanitize=fuzzer-no-link)
target_include_directories(vokexif_fuzz_objects PUBLIC ${PROJECT_SOURCE_DIR}/include ${vokexif_dir})
target_link_libraries(vokexif_fuzz_objects PUBLIC JPEG::JPEG VokDscMsg VokCommon VokUiPlugin)

foreach(target header_cut classify directory frame huffman tiff_tags)
    vok_fuzzer(imagelib_fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/imagelib/${target}.cpp
               LIBS vokexif_fuzz_objects)
endforeach()
