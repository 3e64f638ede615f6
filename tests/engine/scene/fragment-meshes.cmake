quarn_add_test(engine_mesh_build_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeshBuildTests.cpp
  LIBS quarn_engine)
