# Tests of vokalbum, run as a process on albums and pictures made in the test (included by
# tests/tools/CMakeLists.txt).
vok_test(vokalbum_process_test ${CMAKE_CURRENT_LIST_DIR}/vokalbum_process_test.cpp
         LIBS qubex_album_logic VokExif VokDscMsg)
target_include_directories(vokalbum_process_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/app/album)
add_dependencies(vokalbum_process_test vokalbum)
