# Sphere-map, cube-map, GLSL and bump-map stages, the bump light and the stage builders of the
# material exports.
target_sources(quarn_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BumpLight.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BumpMapShader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CubeMapShader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GLSLShader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaterialStages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SphereMapShader.cpp)

# The bump-map programs sit beside libQuarnGL.so in the build tree (where the stage looks after
# the current directory) and install to share/quarn.
include(GNUInstallDirs)
foreach(program VertexShader.cg FragmentShader.cg)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/shaders/${program} ${CMAKE_CURRENT_BINARY_DIR}/${program}
    COPYONLY)
  if(WIN32) # where QuarnGL.dll is built, beside the programs
    configure_file(${CMAKE_CURRENT_LIST_DIR}/shaders/${program}
      ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program} COPYONLY)
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/shaders/${program}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn)
endforeach()
