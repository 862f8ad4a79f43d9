# VokReged: the settings store's parser and writer on arbitrary file contents.
vok_fuzzer(reg_fuzz_store ${CMAKE_CURRENT_LIST_DIR}/reg_fuzz_store.cpp LIBS VokReged)
target_include_directories(reg_fuzz_store PRIVATE ${PROJECT_SOURCE_DIR}/support/reg)
