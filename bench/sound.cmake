# Mixer and audio callback cost (Google Benchmark).
if(benchmark_FOUND)
  add_executable(mixer_bench ${CMAKE_CURRENT_SOURCE_DIR}/mixer_bench.cpp)
  target_link_libraries(mixer_bench PRIVATE sound benchmark::benchmark)
endif()
