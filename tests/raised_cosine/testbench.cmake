# Golden-text tests of the testbench script body and of kw_psd.m (pure text, no host).
add_executable(test_testbench_script ${CMAKE_CURRENT_LIST_DIR}/test_testbench_script.cpp)
target_link_libraries(test_testbench_script PRIVATE kw_rc_text GTest::gtest_main)
target_compile_definitions(test_testbench_script
  PRIVATE KW_TESTBENCH_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/../data/testbench")
gtest_discover_tests(test_testbench_script)
