# Bitmap fonts over FreeType and fontconfig: the glyph bitmaps the engine's font compiles.
pkg_check_modules(QUARN_FONT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
target_sources(quarn_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GlyphRasterizer.cpp)
target_link_libraries(quarn_platform PUBLIC PkgConfig::QUARN_FONT)
