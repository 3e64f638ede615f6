// A decoded image as the texture loaders hand it to GL: rows bottom-up (the first row in memory
// is the bottom of the picture), no row padding, RGB (3 bytes) or RGBA (4 bytes) per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn {

enum class PixelLayout { Rgb, Rgba };

struct PixelBuffer {
    int32_t width = 0;
    int32_t height = 0;
    PixelLayout layout = PixelLayout::Rgb;
    std::vector<uint8_t> pixels;

    int BytesPerPixel() const { return layout == PixelLayout::Rgb ? 3 : 4; }
    size_t RowBytes() const { return static_cast<size_t>(width) * BytesPerPixel(); }
};

// Largest image any decoder accepts: 8192 x 8192 pixels (256 MiB as RGBA). Headers that claim
// more are treated as broken rather than trusted with an allocation.
constexpr int64_t kMaxImagePixels = int64_t(1) << 26;
constexpr int32_t kMaxImageSide = 65535;

// True when width x height is a picture the decoders are prepared to allocate.
inline bool ImageSizeAcceptable(int64_t width, int64_t height, int64_t maxPixels) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= maxPixels;
}

} // namespace quarn
