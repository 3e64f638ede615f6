add_executable(bench_effects ${CMAKE_CURRENT_LIST_DIR}/EffectsBench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp)
target_link_libraries(bench_effects PRIVATE quarn_engine benchmark::benchmark)
