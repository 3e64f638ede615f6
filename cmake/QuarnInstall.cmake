# Installation: both shared libraries with versioned sonames, the public headers, a CMake
# package (find_package(Quarn CONFIG) -> Quarn::GL, Quarn::Physics), pkg-config files, the
# bump-map shader files and the Python package. Everything is relocatable: the package and
# pkg-config files find the prefix from their own location.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUARN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quarn)
set(QUARN_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(QUARN_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/quarn)

set(quarn_libraries QuarnGL)
if(TARGET QuarnPhysics)
  list(APPEND quarn_libraries QuarnPhysics)
endif()
foreach(lib IN LISTS quarn_libraries)
  set_target_properties(${lib} PROPERTIES VERSION ${PROJECT_VERSION}
                                          SOVERSION ${PROJECT_VERSION_MAJOR})
  # Installed executables and tools find the libraries in the prefix's library folder.
  install(TARGETS ${lib} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/quarn DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

# The bump-map stage's two program files, looked up beside the library's data folder.
install(FILES ${PROJECT_SOURCE_DIR}/engine/materials/shaders/VertexShader.cg
              ${PROJECT_SOURCE_DIR}/engine/materials/shaders/FragmentShader.cg
        DESTINATION ${QUARN_INSTALL_DATADIR})

# CMake package.
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/install/QuarnConfig.cmake.in
  ${PROJECT_BINARY_DIR}/install/QuarnConfig.cmake
  INSTALL_DESTINATION ${QUARN_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR QUARN_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install/QuarnConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/install/QuarnConfig.cmake
              ${PROJECT_BINARY_DIR}/install/QuarnConfigVersion.cmake
        DESTINATION ${QUARN_INSTALL_CMAKEDIR})

# pkg-config files: the prefix is found relative to the .pc file (${pcfiledir}).
file(RELATIVE_PATH QUARN_PC_TO_PREFIX /${QUARN_INSTALL_PKGCONFIGDIR} /)
string(REGEX REPLACE "/$" "" QUARN_PC_TO_PREFIX "${QUARN_PC_TO_PREFIX}")
foreach(pc quarn-gl quarn-physics)
  if(pc STREQUAL "quarn-physics" AND NOT TARGET QuarnPhysics)
    continue()
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/install/${pc}.pc.in
                 ${PROJECT_BINARY_DIR}/install/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/install/${pc}.pc DESTINATION ${QUARN_INSTALL_PKGCONFIGDIR})
endforeach()
