// TGA decoding for textures: uncompressed (type 2) and run-length (type 10) true colour, 24 or
// 32 bits per pixel, into RGB or RGBA pixel buffers with rows bottom-up.
#pragma once

#include "engine/materials/Bitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// Appends exactly pixelCount run-length-decoded pixels of bytesPerPixel bytes to out (a packet
// byte p < 128 is followed by p + 1 raw pixels, p >= 128 by one pixel repeated p - 127 times; a
// packet running past pixelCount is cut off there, its raw pixels still consumed). read(into,
// count) fills count bytes or returns false; so does this when the data ends first. The one
// decoder of both TGA readers: from memory and straight from a stream, growing out as pixels
// arrive rather than by what a header promises.
template <class Read>
bool AppendTgaRunLength(Read&& read, int bytesPerPixel, size_t pixelCount,
                        std::vector<uint8_t>& out) {
    const size_t bpp = static_cast<size_t>(bytesPerPixel);
    const size_t end = out.size() + pixelCount * bpp;
    uint8_t pixel[4];
    while (out.size() < end) {
        uint8_t packet = 0;
        if (!read(&packet, 1)) return false;
        const size_t count =
            std::min<size_t>(packet < 128 ? packet + 1u : packet - 127u, (end - out.size()) / bpp);
        if (packet < 128) {
            const size_t at = out.size();
            out.resize(at + count * bpp);
            if (!read(out.data() + at, count * bpp)) return false;
        } else {
            if (!read(pixel, bpp)) return false;
            for (size_t i = 0; i < count; ++i)
                out.insert(out.end(), pixel, pixel + bpp);
        }
    }
    return true;
}

// The most pixels run-length data of srcSize bytes can describe: each two-to-five-byte packet
// gives at most 128 pixels. Used to refuse headers that promise more than the data can hold.
int64_t MaxTgaRunLengthPixels(size_t srcSize, int bytesPerPixel);

// Decodes a whole TGA file held in memory. The ID field is skipped; files whose descriptor
// says top-left origin are flipped so the buffer is bottom-up like every other. 24-bit files
// give RGB, 32-bit files RGBA. On failure out is left unchanged.
TgaError DecodeTgaTexture(const uint8_t* data, size_t size, Bitmap& out,
                          int64_t maxPixels = kMaxImagePixels);

} // namespace quarn
