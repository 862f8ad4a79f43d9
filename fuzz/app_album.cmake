# qubex album logic: the album file reader with its flag pass, and the thumbnail preparation
# of what it reads, compiled again with coverage together with the image logic it reads
# bitmaps with (fuzz modules are included in name order, so it builds its own copy).
if(TARGET qubex_album_logic)
    vok_fuzz_objects(qubex_album_fuzz_objects qubex_album_logic qubex_image_logic VokTiffReader)
    vok_fuzzer(qubex_album_fuzz_file ${CMAKE_CURRENT_LIST_DIR}/app_album/album.cpp
               LIBS qubex_album_fuzz_objects)
endif()
