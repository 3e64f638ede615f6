quarn_add_test(material_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MaterialListTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MaterialTraceTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatesTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextureStageTests.cpp
  LIBS quarn_engine)
