# Small helpers shared by every folder's CMakeLists.txt.

# vok_library(NAME SOURCES...): a shared library exporting C operations declared in include/.
function(vok_library name)
    add_library(${name} SHARED ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/include)
    set_target_properties(${name} PROPERTIES C_VISIBILITY_PRESET default CXX_VISIBILITY_PRESET default)
endfunction()

# vok_test(NAME SOURCES... [LIBS libs...]): a GoogleTest program registered with ctest.
# Qt windows in tests run without a display.
function(vok_test name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/tests/common)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VOK_TIME_SCALE=0.01;VOK_TEST_BIN=${CMAKE_BINARY_DIR}/bin;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp"
        TIMEOUT 300)
endfunction()
