// An image already in memory, as the decoders and scene readers hand it over: scan lines
// top-down (line 0 is the top of the picture), no row padding, pixels in blue, green, red
// order, 24-bit (three bytes) or 32-bit (four bytes, the fourth unused or alpha).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn {

enum class BitmapFormat { Bgr24, Bgrx32 };

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    BitmapFormat format = BitmapFormat::Bgr24;
    std::vector<uint8_t> pixels; // height scan lines of RowBytes() each

    int BytesPerPixel() const { return format == BitmapFormat::Bgr24 ? 3 : 4; }
    size_t RowBytes() const { return static_cast<size_t>(width) * BytesPerPixel(); }
    // Sizes that are not negative and a pixel buffer that holds every scan line.
    bool Consistent() const {
        return width >= 0 && height >= 0 &&
               pixels.size() >= RowBytes() * static_cast<size_t>(height);
    }
    const uint8_t* ScanLine(int y) const { return pixels.data() + RowBytes() * y; }
    uint8_t* ScanLine(int y) { return pixels.data() + RowBytes() * y; }
};

} // namespace quarn
