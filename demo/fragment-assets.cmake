# The asset showcase's files, written by the tools at build time from demo/data.
if(NOT TARGET quarn-ksf)
  message(STATUS "quarn-ksf is not built: the demo runs without its level and crate")
  return()
endif()
set(demo_data_out ${CMAKE_CURRENT_BINARY_DIR}/data)
set(demo_data_src ${CMAKE_CURRENT_SOURCE_DIR}/data)
add_custom_command(
  OUTPUT ${demo_data_out}/level.ksf ${demo_data_out}/level.qpk ${demo_data_out}/crate.3ds
         ${demo_data_out}/crate.tga
  COMMAND ${CMAKE_COMMAND} -E make_directory ${demo_data_out}
  COMMAND $<TARGET_FILE:quarn-ksf> ${demo_data_out}/level.ksf ${demo_data_out}/level.qpk ${demo_data_src}/level.obj
  COMMAND $<TARGET_FILE:quarn-ksf> --to-3ds ${demo_data_out}/crate.3ds ${demo_data_src}/crate.obj
  COMMAND ${CMAKE_COMMAND} -E copy ${demo_data_src}/crate.tga ${demo_data_out}/crate.tga
  DEPENDS quarn-ksf ${demo_data_src}/level.obj ${demo_data_src}/level.mtl
          ${demo_data_src}/stone.bmp ${demo_data_src}/planks.tga ${demo_data_src}/crate.obj
          ${demo_data_src}/crate.mtl ${demo_data_src}/crate.tga
  COMMENT "Writing the demo's KSF level and 3DS crate")
add_custom_target(quarn-demo-data DEPENDS ${demo_data_out}/level.ksf ${demo_data_out}/crate.3ds)
add_dependencies(quarn-demo quarn-demo-data)
target_compile_definitions(quarn-demo PRIVATE QUARN_DEMO_DATA="${demo_data_out}")
