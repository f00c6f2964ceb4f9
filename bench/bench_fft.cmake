# bench_fft: the mixed-radix transform beside FFTW 3, and the whole coefficient design.
# FFTW is used here and in the tests only, never by the module.
if(FFTW3_LIBRARY AND FFTW3_INCLUDE_DIR)
  add_executable(bench_fft ${CMAKE_CURRENT_SOURCE_DIR}/bench_fft.cpp)
  target_include_directories(bench_fft PRIVATE ${FFTW3_INCLUDE_DIR})
  target_link_libraries(bench_fft PRIVATE kw_rc_numerics benchmark::benchmark ${FFTW3_LIBRARY})
endif()
