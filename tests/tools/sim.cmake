# Tests of rt70sim, the virtual camera (included by tests/tools/CMakeLists.txt).
vok_test(sim_camera_test ${CMAKE_CURRENT_LIST_DIR}/sim_camera_test.cpp LIBS rt70sim_core)
vok_test(sim_link_test ${CMAKE_CURRENT_LIST_DIR}/sim_link_test.cpp LIBS rt70sim_core)
pkg_check_modules(SIM_TEST_AV REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil)
vok_test(sim_demo_test ${CMAKE_CURRENT_LIST_DIR}/sim_demo_test.cpp LIBS rt70sim_core PkgConfig::SIM_TEST_AV)
vok_test(sim_process_test ${CMAKE_CURRENT_LIST_DIR}/sim_process_test.cpp LIBS rt70sim_core)
add_dependencies(sim_process_test rt70sim)
