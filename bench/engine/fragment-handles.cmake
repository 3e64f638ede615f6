add_executable(bench_handles ${CMAKE_CURRENT_LIST_DIR}/HandleBench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp)
target_link_libraries(bench_handles PRIVATE quarn_engine benchmark::benchmark)
