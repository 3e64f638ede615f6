# Scene effects: particle systems (unit), environment and text overlay (GL trace).
quarn_add_test(engine_effects_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ParticleTests.cpp
          ${CMAKE_CURRENT_LIST_DIR}/EnvironmentTraceTests.cpp
  LIBS quarn_engine)

# Selection operations on static meshes (the scene's own code, tested beside the effects).
quarn_add_test(engine_selection_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/../scene/SelectionTests.cpp
  LIBS quarn_engine)
