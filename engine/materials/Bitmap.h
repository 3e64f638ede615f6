// The one image record of the engine: an image in memory, as the decoders, the scene readers
// and the texture list pass it on. No row padding. The format says the order of a pixel's
// bytes, the row order which scan line comes first in memory: the file decoders hand over GL's
// own layout (red first, bottom line first), so a loaded file uploads without a copy; TGA
// images and bitmaps built by hand are blue first and top line first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn {

// Bgrx32: the fourth byte is alpha or unused; Rgba32: the fourth byte is alpha.
enum class BitmapFormat { Bgr24, Bgrx32, Rgb24, Rgba32 };
enum class RowOrder { TopDown, BottomUp };

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    BitmapFormat format = BitmapFormat::Bgr24;
    RowOrder rows = RowOrder::TopDown;
    std::vector<uint8_t> pixels; // height scan lines of RowBytes() each

    int BytesPerPixel() const {
        return format == BitmapFormat::Bgr24 || format == BitmapFormat::Rgb24 ? 3 : 4;
    }
    bool RedFirst() const {
        return format == BitmapFormat::Rgb24 || format == BitmapFormat::Rgba32;
    }
    size_t RowBytes() const { return static_cast<size_t>(width) * BytesPerPixel(); }
    // Sizes that are not negative and a pixel buffer that holds every scan line.
    bool Consistent() const {
        return width >= 0 && height >= 0 &&
               pixels.size() >= RowBytes() * static_cast<size_t>(height);
    }
    // Scan line y counted from the top of the picture, whatever the row order in memory.
    const uint8_t* ScanLine(int y) const { return pixels.data() + RowBytes() * StoredLine(y); }
    uint8_t* ScanLine(int y) { return pixels.data() + RowBytes() * StoredLine(y); }

  private:
    size_t StoredLine(int y) const {
        return static_cast<size_t>(rows == RowOrder::TopDown ? y : height - 1 - y);
    }
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
