# bench_generate: one whole generate command of the rcosflt plug-in, in-process on the host
# stand-in (argument parsing, coefficient design, core and testbench text, files, re-indenting).
add_executable(bench_generate ${CMAKE_CURRENT_SOURCE_DIR}/bench_generate.cpp)
target_link_libraries(bench_generate PRIVATE kw_plugin appmgr benchmark::benchmark)
target_compile_definitions(bench_generate PRIVATE KW_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
