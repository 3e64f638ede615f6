# The shader runtime of the bump-map stage, over GLSL, and the shader-object helpers it shares
# with the engine's GLSL stage.
target_sources(quarn_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Cg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../gl/ShaderObjects.cpp)
