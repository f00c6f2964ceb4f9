# The core structure writers: golden-text tests, and kw_write_core, the command-line entry that
# writes a complete core function from a given coefficient set (the Octave tests drive it).
add_executable(kw_write_core ${CMAKE_CURRENT_LIST_DIR}/write_core_tool.cpp)
target_link_libraries(kw_write_core PRIVATE kw_rc_text)

add_executable(test_core_structures ${CMAKE_CURRENT_LIST_DIR}/test_core_structures.cpp)
target_link_libraries(test_core_structures PRIVATE kw_rc_text GTest::gtest_main)
target_compile_definitions(test_core_structures PRIVATE
  KW_CORE_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/../data/cores"
  KW_WRITE_CORE_TOOL="$<TARGET_FILE:kw_write_core>")
add_dependencies(test_core_structures kw_write_core)
gtest_discover_tests(test_core_structures)
