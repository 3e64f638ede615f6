# Asset files. The pure readers and writers (archive, KSF, 3DS and the 3DS mesh converter) are
# their own archive, shared with the tools and the fuzz targets; the engine adds what builds
# scene objects and the exports.
add_library(quarn_assetfiles STATIC
  ${CMAKE_CURRENT_LIST_DIR}/NQStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KSFFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/File3DS.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Convert3DS.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelPath.cpp)
set_target_properties(quarn_assetfiles PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(quarn_assetfiles PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(quarn_assetfiles PUBLIC quarn_common)

target_sources(quarn_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/KSFReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Load3DS.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AssetExports.cpp)
target_link_libraries(quarn_engine PUBLIC quarn_assetfiles)
