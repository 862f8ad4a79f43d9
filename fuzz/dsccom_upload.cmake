# The upload's TIFF pixel reader and the upright turn of a bitmap, fed with arbitrary bytes.
vok_fuzzer(dsccom_upload_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dsccom_upload_fuzzer.cpp
           ${PROJECT_SOURCE_DIR}/dsccom/upload/DscTiffPixels.cpp LIBS VokCommon)
target_include_directories(dsccom_upload_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/dsccom/upload
                                                        ${PROJECT_SOURCE_DIR}/dsccom/engine)
