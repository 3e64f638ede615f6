# Bitmap fonts: on Windows GDI's through WGL, with FreeType where GDI cannot; elsewhere
# FreeType over the face fontconfig picks.
if(WIN32)
  find_package(Freetype REQUIRED)
  target_sources(quarn_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GlyphRasterizer.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/GdiFont.cpp)
  target_link_libraries(quarn_platform PUBLIC Freetype::Freetype)
else()
  pkg_check_modules(QUARN_FONT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
  target_sources(quarn_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GlyphRasterizer.cpp)
  target_link_libraries(quarn_platform PUBLIC PkgConfig::QUARN_FONT)
endif()
