# The upload's upright turn of a bitmap, fed with arbitrary bytes and with what the program's
# TIFF reader makes of them.
vok_fuzzer(dsccom_upload_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dsccom_upload_fuzzer.cpp
           ${PROJECT_SOURCE_DIR}/dsccom/upload/DscOrient.cpp LIBS VokCommon VokTiffReader)
target_include_directories(dsccom_upload_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/dsccom/upload
                                                        ${PROJECT_SOURCE_DIR}/dsccom/engine)
