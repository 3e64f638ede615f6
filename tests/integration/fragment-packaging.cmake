# The link header (include/quarn/QuarnLink.h) in a C99 host of both libraries.
if(TARGET QuarnPhysics)
  add_executable(link_header_host ${CMAKE_CURRENT_LIST_DIR}/LinkHeaderHost.c)
  set_target_properties(link_header_host PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
  target_compile_options(link_header_host PRIVATE -Wpedantic -Werror)
  target_link_libraries(link_header_host PRIVATE QuarnGL QuarnPhysics m)
  add_test(NAME Link.StaticMeshCollisionCountedArraysAndFollower COMMAND link_header_host)
  set_tests_properties(Link.StaticMeshCollisionCountedArraysAndFollower PROPERTIES
    ENVIRONMENT SDL_VIDEODRIVER=offscreen TIMEOUT 120)
endif()
