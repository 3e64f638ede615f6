#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

// The red channel of a height-map image, row 0 the top row of the picture.
struct HeightMap {
    int width = 0, height = 0;
    std::vector<uint8_t> red;
};

// JPEG when the upper-cased name ends in ".JPG", otherwise a bitmap file. Raises EngineError
// with the loader's message when the image cannot be read.
HeightMap LoadHeightMap(const std::string& fileName);

// Whether the terrain builder decodes this name as JPEG (".jpg" in any letter case).
bool IsJpegHeightMapName(const std::string& fileName);

} // namespace quarn
