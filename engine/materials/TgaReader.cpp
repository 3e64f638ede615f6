#include "engine/materials/TgaReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quarn {

TgaHeader TgaHeader::Parse(const uint8_t* b) {
    TgaHeader h;
    h.idLength = b[0];
    h.colourMapType = b[1];
    h.imageType = b[2];
    h.width = static_cast<uint16_t>(b[12] | (b[13] << 8));
    h.height = static_cast<uint16_t>(b[14] | (b[15] << 8));
    h.pixelDepth = b[16];
    h.descriptor = b[17];
    return h;
}

int64_t MaxTgaRunLengthPixels(size_t srcSize, int bytesPerPixel) {
    const int64_t packets = (static_cast<int64_t>(srcSize) + bytesPerPixel) / (1 + bytesPerPixel);
    return packets * 128;
}

TgaError DecodeTgaTexture(const uint8_t* data, size_t size, Bitmap& out, int64_t maxPixels) {
    if (!data || size < TgaHeader::kBytes) return TgaError::Header;
    const TgaHeader header = TgaHeader::Parse(data);
    if (header.imageType != 2 && header.imageType != 10) return TgaError::ImageType;
    if (header.colourMapType != 0) return TgaError::ColourMapped;
    if (header.pixelDepth != 24 && header.pixelDepth != 32) return TgaError::PixelDepth;

    const size_t start = TgaHeader::kBytes + header.idLength;
    if (start > size) return TgaError::PixelData;
    const uint8_t* src = data + start;
    const size_t available = size - start;
    const int bpp = header.pixelDepth / 8;
    if (!ImageSizeAcceptable(header.width, header.height, maxPixels)) return TgaError::PixelData;
    const size_t pixelCount = size_t(header.width) * header.height;

    Bitmap result;
    result.width = header.width;
    result.height = header.height;
    result.format = bpp == 3 ? BitmapFormat::Rgb24 : BitmapFormat::Rgba32;
    result.rows = RowOrder::BottomUp;
    if (header.imageType == 2) {
        if (available < pixelCount * bpp) return TgaError::PixelData;
        result.pixels.assign(src, src + pixelCount * bpp);
    } else {
        if (int64_t(pixelCount) > MaxTgaRunLengthPixels(available, bpp)) return TgaError::PixelData;
        result.pixels.reserve(pixelCount * bpp);
        size_t in = 0;
        const auto read = [&](void* into, size_t count) {
            if (available - in < count) return false;
            std::memcpy(into, src + in, count);
            in += count;
            return true;
        };
        if (!AppendTgaRunLength(read, bpp, pixelCount, result.pixels)) return TgaError::PixelData;
    }
    for (size_t i = 0; i < pixelCount; ++i)
        std::swap(result.pixels[i * bpp], result.pixels[i * bpp + 2]);
    if (header.descriptor & TgaHeader::kTopLeftOrigin) {
        const size_t rowBytes = result.RowBytes();
        for (size_t top = 0, bottom = header.height - 1u; top < bottom; ++top, --bottom)
            std::swap_ranges(result.pixels.begin() + top * rowBytes,
                             result.pixels.begin() + (top + 1) * rowBytes,
                             result.pixels.begin() + bottom * rowBytes);
    }
    out = std::move(result);
    return TgaError::None;
}

} // namespace quarn
