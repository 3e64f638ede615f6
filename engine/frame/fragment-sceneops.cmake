# Scene operation exports: flags, cube-map capture, text, loader screen, selection, scene map.
target_sources(quarn_engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SceneOperationExports.cpp)
