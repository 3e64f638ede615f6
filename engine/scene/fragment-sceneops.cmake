# Scene operations: selection, cube-map capture and the mesh transforms they use.
target_sources(quarn_engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SceneOperations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeshTransforms.cpp)
