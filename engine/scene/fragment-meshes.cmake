target_sources(quarn_engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FacePool.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/MeshArrays.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/SceneStatistics.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/StatisticsExports.cpp)
