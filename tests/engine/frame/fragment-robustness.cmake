quarn_add_test(engine_hostile_input_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostileInputTests.cpp
          ${CMAKE_CURRENT_LIST_DIR}/HandleRegistryTests.cpp
  LIBS quarn_engine)
