# Windows cross build (mingw-w64): the dependencies cross-built from Debian's sources into
# QUARN_WINDOWS_DEPS (scripts/build-windows.sh), the DLLs' runtime linked statically so that
# they import only Windows system DLLs, and the tests run under Wine.
set(QUARN_WINDOWS_DEPS "" CACHE PATH "Prefix of the cross-built dependencies")
if(NOT IS_DIRECTORY "${QUARN_WINDOWS_DEPS}/lib")
  message(FATAL_ERROR "QUARN_WINDOWS_DEPS must name the prefix scripts/build-windows.sh fills")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${QUARN_WINDOWS_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${QUARN_WINDOWS_DEPS})

# msvcrt's printf knows no %z without MinGW's own stdio.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX)
# No libgcc, libstdc++ or winpthread DLL beside ours: everything the runtime needs is inside.
add_link_options(-static -static-libgcc -static-libstdc++)

foreach(lib LinearMath BulletCollision BulletDynamics)
  add_library(${lib} STATIC IMPORTED)
  set_target_properties(${lib} PROPERTIES IMPORTED_LOCATION ${QUARN_WINDOWS_DEPS}/lib/lib${lib}.a)
endforeach()
set(QUARN_BULLET_INCLUDE_DIRS ${QUARN_WINDOWS_DEPS}/include/bullet)

# Test programs run under Wine, in one prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh)

# Programs and DLLs side by side, so that the Windows loader finds the DLLs beside each test.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# quarn_stdcall_import_library(Target Header [DEF file] [FIXED name=bytes ...]): on 32-bit
# Windows, callers link against decorated stdcall names (name@bytes) that enter the DLL by its
# plain names, so the import library is remade by dlltool --kill-at from a .def whose argument
# sizes come from the header (all its exports, or those of DEF with their ordinals).
function(quarn_stdcall_import_library target header)
  cmake_parse_arguments(S "" "DEF" "FIXED" ${ARGN})
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  find_program(QUARN_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool REQUIRED)
  find_program(QUARN_HOST_PYTHON NAMES python3 REQUIRED)
  if(NOT S_DEF)
    set(S_DEF -)
  endif()
  set(stdcall_def ${CMAKE_CURRENT_BINARY_DIR}/${target}-stdcall.def)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${QUARN_HOST_PYTHON} ${PROJECT_SOURCE_DIR}/cmake/stdcall_def.py ${header} ${S_DEF}
            ${stdcall_def} ${S_FIXED}
    COMMAND ${QUARN_DLLTOOL} --kill-at -d ${stdcall_def} -D ${target}.dll
            -l $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
