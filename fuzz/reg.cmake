# VokReged: the settings store's parser and writer on arbitrary file contents.
vok_fuzzer(reg_fuzz_store ${CMAKE_CURRENT_LIST_DIR}/reg_fuzz_store.cpp LIBS VokRegedObjects)
