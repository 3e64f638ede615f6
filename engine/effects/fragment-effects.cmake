# Scene effects: environment, smoke particle systems, HUD objects, font and their exports.
target_sources(quarn_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Environment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnvironmentExports.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParticleSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HudObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EffectExports.cpp)
