# The export sequences: programs of calls into the physics library's exports.
if(TARGET quarn_physics_objects)
  quarn_instrument_for_fuzzing(quarn_physics_objects quarn_newton)
  quarn_add_fuzzer(physics_api SOURCE ${CMAKE_CURRENT_LIST_DIR}/PhysicsApiFuzzer.cpp
    LIBS quarn_physics_objects)
  target_include_directories(fuzz_physics_api PRIVATE ${PROJECT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/include)
endif()
