# Sphere-map, cube-map, animated, GLSL and bump-map stages against the recording GL table.
quarn_add_test(material_stage_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/StageTraceTests.cpp
  LIBS quarn_engine)
target_compile_definitions(material_stage_tests PRIVATE
  QUARN_IMAGE_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data"
  QUARN_SHADER_SOURCE_DIR="${PROJECT_SOURCE_DIR}/engine/materials/shaders")
