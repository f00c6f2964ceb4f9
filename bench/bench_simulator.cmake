# bench_simulator: the bit-true simulator of a 511-tap core in every structure (pure, no host).
add_executable(bench_simulator ${CMAKE_CURRENT_SOURCE_DIR}/bench_simulator.cpp)
target_link_libraries(bench_simulator PRIVATE kw_rc_numerics benchmark::benchmark)
