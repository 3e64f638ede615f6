# Material switches between GLSL materials, and applying the current material again.
add_executable(bench_materials ${CMAKE_CURRENT_LIST_DIR}/MaterialBench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp)
target_link_libraries(bench_materials PRIVATE quarn_engine benchmark::benchmark)
