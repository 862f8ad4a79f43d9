# Small helpers shared by every folder's CMakeLists.txt.

include(${CMAKE_CURRENT_LIST_DIR}/VokExports.cmake)

# vok_internal(TARGET): code that goes into a shared library keeps its names inside it.
function(vok_internal target)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON
                          C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
                          VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# vok_library(NAME [HEADERS h...] [OBJECTS objlibs...] SOURCES...): a shared library exporting
# exactly the C operations that include/NAME.h (or the HEADERS given) declares with VOK_API.
# The sources form the object library NAMEObjects: configure that one (include folders,
# libraries); tests link it to reach the internals. Libraries built from several object
# libraries name them in OBJECTS instead. A symbol map written from the headers keeps every
# other name local, so that no export can appear by accident; the export check in
# tests/exports compares the built library with the same headers.
function(vok_library name)
    cmake_parse_arguments(L "" "" "HEADERS;OBJECTS" ${ARGN})
    if(NOT L_HEADERS)
        set(L_HEADERS ${PROJECT_SOURCE_DIR}/include/${name}.h)
    endif()
    if(L_UNPARSED_ARGUMENTS)
        add_library(${name}Objects OBJECT ${L_UNPARSED_ARGUMENTS})
        vok_internal(${name}Objects)
        target_include_directories(${name}Objects PUBLIC ${PROJECT_SOURCE_DIR}/include)
        list(APPEND L_OBJECTS ${name}Objects)
    endif()
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    vok_write_symbol_map(${map} ${L_HEADERS})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${L_HEADERS})
    add_library(${name} SHARED)
    target_link_libraries(${name} PRIVATE ${L_OBJECTS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/include)
    vok_internal(${name})
    set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX LINK_DEPENDS ${map} AUTOMOC OFF)
    target_link_options(${name} PRIVATE -Wl,--version-script=${map})
    # Every name a library uses must come from a library it links (sanitizer runtimes are
    # linked into the programs only, so sanitizer builds leave them open).
    if(NOT VOK_SANITIZE)
        target_link_options(${name} PRIVATE -Wl,-z,defs)
    endif()
    set_property(GLOBAL APPEND PROPERTY VOK_SHARED_LIBRARIES ${name})
    set_property(GLOBAL PROPERTY VOK_EXPORT_HEADERS_${name} ${L_HEADERS})
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
