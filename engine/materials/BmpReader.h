// Windows BMP decoding into the loaders' pixel buffers. Reads the 40-byte info header and its
// longer V4/V5 forms; uncompressed 1-, 4- and 8-bit palettised, 16-, 24- and 32-bit pixels
// (bit fields honoured). The file header's pixel-data offset, 4-byte row padding and top-down
// files (negative height) are honoured.
#pragma once

#include "engine/materials/Bitmap.h"

#include <cstddef>
#include <cstdint>

namespace quarn {

enum class BmpError {
    None,
    Header,      // fewer bytes than the file and info headers need
    Unsupported, // not "BM", compressed, an unknown bit depth or a size of zero
    Palette,     // the palette runs past the data
    PixelData,   // the pixel rows run past the data, or the picture is absurdly large
};

// Decodes a whole BMP file held in memory. RGB output, except RGBA for 16/32-bit files whose
// bit fields give an alpha mask. On failure out is left unchanged.
BmpError DecodeBmp(const uint8_t* data, size_t size, Bitmap& out,
                   int64_t maxPixels = kMaxImagePixels);

} // namespace quarn
