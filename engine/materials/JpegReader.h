// JPEG decoding through libjpeg(-turbo) into RGBA pixel buffers (rows bottom-up, alpha 255).
#pragma once

#include "engine/materials/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarn {

// Decodes a whole JPEG file held in memory. Grey and colour (YCbCr/RGB) files are accepted;
// CMYK files are not. A file that ends before its last scan line is a failure, as is a
// progressive file with more than 500 scans (a known way to make decoding take forever).
// On failure out is left unchanged and reason (when given) holds libjpeg's message.
bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap& out, int64_t maxPixels = kMaxImagePixels,
                std::string* reason = nullptr);

} // namespace quarn
