# VokComRT70: reply checking and the readers that take counts, lists, identities and blocks
# out of camera replies, fed with arbitrary bytes. The engine sources are compiled into the
# fuzzer so that their coverage guides it.
vok_fuzzer(dsccom_reply_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dsccom_reply_fuzzer.cpp
           ${DSCCOM_PACKET_SOURCES} ${DSCCOM_ENGINE_SOURCES} LIBS VokDscMsg VokReged VokCommon
           VokTiffReader Qt6::Core ${CMAKE_DL_LIBS})
target_include_directories(dsccom_reply_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/dsccom/engine
                                                   ${PROJECT_SOURCE_DIR}/dsccom/transfer)
