# The generator's parameters and checks, read from argument objects under an in-process host.
add_executable(test_parameters ${CMAKE_CURRENT_LIST_DIR}/test_parameters.cpp)
target_link_libraries(test_parameters PRIVATE kw_raised_cosine kw_test_support GTest::gtest_main)
gtest_discover_tests(test_parameters)
