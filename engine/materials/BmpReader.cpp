#include "engine/materials/BmpReader.h"

#include <utility>

namespace quarn {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitFields = 3;
constexpr uint32_t kBiAlphaBitFields = 6;

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One colour channel given by a bit mask, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0)
            ++shift;
        uint32_t v = mask >> shift;
        while (v & 1u) {
            ++bits;
            v >>= 1;
        }
    }
    uint8_t Extract(uint32_t pixel, uint8_t absent) const {
        if (bits == 0) return absent;
        const uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
        const uint32_t maxValue = (1u << bits) - 1;
        return static_cast<uint8_t>(((v & maxValue) * 255 + maxValue / 2) / maxValue);
    }
};

} // namespace

BmpError DecodeBmp(const uint8_t* data, size_t size, Bitmap& out, int64_t maxPixels) {
    if (!data || size < kFileHeaderBytes + 4) return BmpError::Header;
    if (data[0] != 'B' || data[1] != 'M') return BmpError::Unsupported;
    const uint32_t pixelOffset = ReadU32(data + 10);
    const uint32_t infoSize = ReadU32(data + 14);
    if (infoSize < 40) return BmpError::Unsupported; // the old 12-byte OS/2 header
    if (infoSize > size - kFileHeaderBytes) return BmpError::Header;

    const uint8_t* info = data + kFileHeaderBytes;
    const int32_t width = static_cast<int32_t>(ReadU32(info + 4));
    const int32_t rawHeight = static_cast<int32_t>(ReadU32(info + 8));
    const uint16_t bitCount = ReadU16(info + 14);
    const uint32_t compression = ReadU32(info + 16);
    const uint32_t coloursUsed = ReadU32(info + 32);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : int64_t(rawHeight);

    if (width <= 0 || height == 0) return BmpError::Unsupported;
    const bool palettised = bitCount == 1 || bitCount == 4 || bitCount == 8;
    const bool fields = compression == kBiBitFields || compression == kBiAlphaBitFields;
    if (compression != kBiRgb && !(fields && (bitCount == 16 || bitCount == 32)))
        return BmpError::Unsupported;
    if (!palettised && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return BmpError::Unsupported;

    // Bit masks sit inside a V2+ header, or just after a 40-byte one.
    size_t after = kFileHeaderBytes + infoSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    if (fields) {
        const int count = compression == kBiAlphaBitFields ? 4 : 3;
        const uint8_t* maskBytes = info + 40;
        if (infoSize == 40) {
            if (size - after < size_t(count) * 4) return BmpError::Header;
            after += size_t(count) * 4;
        }
        const int available = infoSize == 40 ? count
                                             : (infoSize >= 56   ? 4
                                                : infoSize >= 52 ? 3
                                                                 : 0);
        for (int i = 0; i < available && i < 4; ++i)
            masks[i] = ReadU32(maskBytes + 4 * i);
    }

    uint32_t palette[256] = {};
    if (palettised) {
        const uint32_t maxEntries = 1u << bitCount;
        const uint32_t entries =
            coloursUsed == 0 || coloursUsed > maxEntries ? maxEntries : coloursUsed;
        if (size - after < size_t(entries) * 4) return BmpError::Palette;
        for (uint32_t i = 0; i < entries; ++i)
            palette[i] = ReadU32(data + after + 4 * i);
        after += size_t(entries) * 4;
    }

    // Pixels start where the file header says; an offset of zero (or one pointing into the
    // headers) is taken as "directly after the palette".
    const size_t start = pixelOffset >= kFileHeaderBytes + 40 ? pixelOffset : after;
    if (!ImageSizeAcceptable(width, height, maxPixels)) return BmpError::PixelData;
    const size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
    const size_t lastRowBytes = (size_t(width) * bitCount + 7) / 8;
    if (start > size || size - start < stride * size_t(height - 1) + lastRowBytes)
        return BmpError::PixelData;

    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool hasAlpha = fields && !palettised && masks[3] != 0;
    Bitmap result;
    result.width = width;
    result.height = static_cast<int32_t>(height);
    result.format = hasAlpha ? BitmapFormat::Rgba32 : BitmapFormat::Rgb24;
    result.rows = RowOrder::BottomUp;
    const int outBytes = result.BytesPerPixel();
    result.pixels.resize(result.RowBytes() * size_t(height));

    for (int64_t y = 0; y < height; ++y) {
        // Output is bottom-up; a top-down file's first row is the top of the picture.
        const int64_t fileRow = topDown ? height - 1 - y : y;
        const uint8_t* src = data + start + stride * size_t(fileRow);
        uint8_t* dst = result.pixels.data() + result.RowBytes() * size_t(y);
        for (int32_t x = 0; x < width; ++x, dst += outBytes) {
            if (bitCount == 24) {
                dst[0] = src[3 * x + 2];
                dst[1] = src[3 * x + 1];
                dst[2] = src[3 * x];
                continue;
            }
            if (palettised) {
                const size_t bit = size_t(x) * bitCount;
                const unsigned index =
                    (src[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                const uint32_t colour = palette[index]; // unused entries are black
                dst[0] = static_cast<uint8_t>(colour >> 16);
                dst[1] = static_cast<uint8_t>(colour >> 8);
                dst[2] = static_cast<uint8_t>(colour);
                continue;
            }
            const uint32_t pixel =
                bitCount == 16 ? ReadU16(src + 2 * size_t(x)) : ReadU32(src + 4 * size_t(x));
            dst[0] = red.Extract(pixel, 0);
            dst[1] = green.Extract(pixel, 0);
            dst[2] = blue.Extract(pixel, 0);
            if (hasAlpha) dst[3] = alpha.Extract(pixel, 255);
        }
    }
    out = std::move(result);
    return BmpError::None;
}

} // namespace quarn
