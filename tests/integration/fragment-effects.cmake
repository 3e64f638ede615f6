# Scene effects and scene operations through the C API in headless windows.
quarn_add_test(effects_api_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EffectsApiTests.cpp
  LIBS QuarnGL ${CMAKE_DL_LIBS})
target_include_directories(effects_api_tests PRIVATE ${PROJECT_SOURCE_DIR}/include)
