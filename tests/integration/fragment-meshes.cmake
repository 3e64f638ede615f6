quarn_add_test(meshes_api_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeshesApiTests.cpp
  LIBS QuarnGL ${CMAKE_DL_LIBS})
target_include_directories(meshes_api_tests PRIVATE ${PROJECT_SOURCE_DIR}/include)
