# qubex image logic: the program's own TIFF and BMP readers (and the display copy of what the
# BMP reader returns), compiled again with coverage so that the walks guide the fuzzer.
if(TARGET qubex_image_logic)
    vok_fuzz_objects(qubex_image_fuzz_objects qubex_image_logic VokTiffReader)
    foreach(target tiff bmp)
        vok_fuzzer(qubex_image_fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/app_image/${target}.cpp
                   LIBS qubex_image_fuzz_objects)
    endforeach()
endif()
