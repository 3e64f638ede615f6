quarn_add_test(asset_api_tests
  SOURCES AssetApiTests.cpp
  LIBS QuarnGL ${CMAKE_DL_LIBS})
target_compile_definitions(asset_api_tests PRIVATE
  QUARN_KSF_TOOL="$<TARGET_FILE:quarn-ksf>" QUARN_PACK_TOOL="$<TARGET_FILE:quarn-pack>"
  QUARN_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
  QUARN_JPEG_FILE="${PROJECT_SOURCE_DIR}/tests/engine/materials/data/crackattack_cube_icon.jpg")
add_dependencies(asset_api_tests quarn-ksf quarn-pack)
