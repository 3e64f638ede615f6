add_executable(bench_meshes ${CMAKE_CURRENT_LIST_DIR}/MeshesBench.cpp)
target_link_libraries(bench_meshes PRIVATE quarn_engine benchmark::benchmark)
