# Material stages through the C API on real Mesa GL.
quarn_add_test(material_api_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MaterialApiTests.cpp
  LIBS QuarnGL ${CMAKE_DL_LIBS})
target_include_directories(material_api_tests PRIVATE ${PROJECT_SOURCE_DIR}/include)
