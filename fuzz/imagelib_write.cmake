# VokExif writing side: one fuzz target per parser of untrusted input there (the BMP file
# reader, stripping with the camera-ready test, the whole-image decode to a bitmap). They link
# the library's sources compiled with coverage instrumentation in fuzz/imagelib.cmake
# (vokexif_fuzz_objects), so that coverage of the library guides them.
foreach(target bmp strip decode)
    vok_fuzzer(imagelib_write_fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/imagelib/write_${target}.cpp
               LIBS vokexif_fuzz_objects)
endforeach()
