# Asset loading: 3DS import of the terrain workload (against Assimp's importer when Assimp is
# installed; it is never linked into the libraries) and KSF loads from 125 k to 1 M faces.
add_executable(bench_assets ${CMAKE_CURRENT_LIST_DIR}/AssetBench.cpp)
target_link_libraries(bench_assets PRIVATE quarn_engine benchmark::benchmark)
find_package(assimp QUIET)
if(assimp_FOUND)
  target_compile_definitions(bench_assets PRIVATE QUARN_BENCH_ASSIMP)
  target_link_libraries(bench_assets PRIVATE assimp::assimp)
endif()
