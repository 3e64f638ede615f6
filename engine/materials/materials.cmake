# Materials, stages, the texture list and cache, and the texture-unit cache.
target_sources(quarn_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FogSwitch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Material.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaterialList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RenderTargetShader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Shader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/States.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Texture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureShader.cpp)

