# The physics showcase: crates and a car from libQuarnPhysics, drawn through libQuarnGL.
if(TARGET QuarnPhysics)
  target_sources(quarn-demo PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DemoPhysics.c)
  target_link_libraries(quarn-demo PRIVATE QuarnPhysics)
  target_compile_definitions(quarn-demo PRIVATE QUARN_DEMO_PHYSICS)
endif()
