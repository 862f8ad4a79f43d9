# qubex album logic: the album file reader with its flag pass, and the thumbnail preparation
# of what it reads, compiled again with coverage together with the image logic it reads
# bitmaps with (fuzz modules are included in name order, so it builds its own copy).
if(TARGET qubex_album_logic)
    set(album_fuzz_sources "")
    foreach(logic qubex_album_logic qubex_image_logic VokTiffReader)
        get_target_property(sources ${logic} SOURCES)
        get_target_property(dir ${logic} SOURCE_DIR)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        list(TRANSFORM sources PREPEND ${dir}/)
        list(APPEND album_fuzz_sources ${sources})
    endforeach()
    add_library(qubex_album_fuzz_objects OBJECT ${album_fuzz_sources})
    target_compile_options(qubex_album_fuzz_objects PRIVATE -fsanitize=fuzzer-no-link)
    target_include_directories(qubex_album_fuzz_objects PUBLIC
                               $<TARGET_PROPERTY:qubex_album_logic,SOURCE_DIR>
                               $<TARGET_PROPERTY:qubex_image_logic,SOURCE_DIR>)
    target_link_libraries(qubex_album_fuzz_objects PUBLIC VokCommon)
    vok_fuzzer(qubex_album_fuzz_file ${CMAKE_CURRENT_LIST_DIR}/app_album/album.cpp
               LIBS qubex_album_fuzz_objects)
endif()
