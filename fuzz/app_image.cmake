# qubex image logic: the program's own TIFF and BMP readers (and the display copy of what the
# BMP reader returns), compiled again with coverage so that the walks guide the fuzzer.
if(TARGET qubex_image_logic)
    get_target_property(image_logic_sources qubex_image_logic SOURCES)
    get_target_property(image_logic_dir qubex_image_logic SOURCE_DIR)
    list(FILTER image_logic_sources INCLUDE REGEX "\\.cpp$")
    list(TRANSFORM image_logic_sources PREPEND ${image_logic_dir}/)
    add_library(qubex_image_fuzz_objects OBJECT ${image_logic_sources})
    target_compile_options(qubex_image_fuzz_objects PRIVATE -fsanitize=fuzzer-no-link)
    target_include_directories(qubex_image_fuzz_objects PUBLIC ${image_logic_dir})
    target_link_libraries(qubex_image_fuzz_objects PUBLIC VokCommon)
    foreach(target tiff bmp)
        vok_fuzzer(qubex_image_fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/app_image/${target}.cpp
                   LIBS qubex_image_fuzz_objects)
    endforeach()
endif()
