// Writing 24-bit BMP files (screenshots and cube-map views).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

// rgbBottomUp: width x height RGB pixels, first row the bottom one. Raises EngineError when the
// file cannot be written.
void SaveBitmapFile(const std::string& fileName, int width, int height,
                    const std::vector<uint8_t>& rgbBottomUp);

} // namespace quarn
