add_executable(bench_handles ${CMAKE_CURRENT_LIST_DIR}/HandleBench.cpp)
target_link_libraries(bench_handles PRIVATE quarn_engine benchmark::benchmark)
