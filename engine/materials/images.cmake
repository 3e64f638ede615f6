# Image decoding (no GL) as its own archive, so tests and fuzz targets need no GL; and the
# GL-side texture loaders, which the engine library compiles.
find_package(JPEG REQUIRED)

add_library(quarn_images STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BmpReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TgaReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TGAImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageSource.cpp)
set_target_properties(quarn_images PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(quarn_images PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(quarn_images PUBLIC quarn_resources quarn_common JPEG::JPEG)

set(QUARN_TEXTURE_LOADER_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TextureLoader.cpp)
