// TGA decoding for textures: uncompressed (type 2) and run-length (type 10) true colour, 24 or
// 32 bits per pixel, into RGB or RGBA pixel buffers with rows bottom-up.
#pragma once

#include "engine/materials/PixelBuffer.h"

#include <cstddef>
#include <cstdint>

namespace quarn {

// The 18-byte header, little-endian.
struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;

    static constexpr size_t kBytes = 18;
    static constexpr uint8_t kTopLeftOrigin = 0x20; // descriptor bit 5
    // Reads the header from at least kBytes bytes.
    static TgaHeader Parse(const uint8_t* bytes);
};

enum class TgaError {
    None,
    Header,       // fewer than 18 bytes
    ImageType,    // neither type 2 nor type 10
    ColourMapped, // colour-map type is not 0
    PixelDepth,   // neither 24 nor 32 bits per pixel
    PixelData,    // pixel data (or run-length packets) missing, or no usable picture size
};

// Expands run-length packets of bytesPerPixel-byte pixels from src into exactly pixelCount
// pixels at dst (a packet byte p < 128 is followed by p + 1 raw pixels, p >= 128 by one pixel
// repeated p - 127 times). A packet running past pixelCount is cut off there. Returns false
// when src ends before pixelCount pixels are written.
bool ExpandTgaRunLength(const uint8_t* src, size_t srcSize, int bytesPerPixel, uint8_t* dst,
                        size_t pixelCount);

// The most pixels run-length data of srcSize bytes can describe: each two-to-five-byte packet
// gives at most 128 pixels. Used to refuse headers that promise more than the data can hold.
int64_t MaxTgaRunLengthPixels(size_t srcSize, int bytesPerPixel);

// Decodes a whole TGA file held in memory. The ID field is skipped; files whose descriptor
// says top-left origin are flipped so the buffer is bottom-up like every other. 24-bit files
// give RGB, 32-bit files RGBA. On failure out is left unchanged.
TgaError DecodeTgaTexture(const uint8_t* data, size_t size, PixelBuffer& out,
                          int64_t maxPixels = kMaxImagePixels);

} // namespace quarn
