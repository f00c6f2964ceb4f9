# bench_commands: rcosflt::Report and rcosflt::Simulate in-process on the host stand-in.
add_executable(bench_commands ${CMAKE_CURRENT_SOURCE_DIR}/bench_commands.cpp)
target_link_libraries(bench_commands PRIVATE kw_plugin appmgr benchmark::benchmark)
target_compile_definitions(bench_commands PRIVATE KW_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
