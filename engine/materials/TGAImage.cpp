#include "engine/materials/TGAImage.h"

#include "engine/materials/TgaReader.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quarn {
namespace {

constexpr const char* kShortData = "Unexpected end of TGA data";

void ReadExactly(std::istream& stream, void* into, size_t count) {
    stream.read(static_cast<char*>(into), static_cast<std::streamsize>(count));
    if (static_cast<size_t>(stream.gcount()) != count) throw ETGAException(kShortData);
}

// Reads count bytes in bounded chunks, so a header that promises more than the stream holds
// fails at the end of the data instead of allocating the promised size up front.
std::vector<uint8_t> ReadBytes(std::istream& stream, size_t count) {
    constexpr size_t kChunk = size_t(1) << 20;
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        const size_t step = std::min(kChunk, count - bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + step);
        ReadExactly(stream, bytes.data() + at, step);
    }
    return bytes;
}

// Bytes left in the stream, or -1 when it cannot tell (not seekable).
int64_t RemainingBytes(std::istream& stream) {
    const std::streampos here = stream.tellg();
    if (here == std::streampos(-1)) return -1;
    stream.seekg(0, std::ios::end);
    const std::streampos end = stream.tellg();
    stream.seekg(here);
    if (end == std::streampos(-1) || !stream) {
        stream.clear();
        stream.seekg(here);
        return -1;
    }
    return static_cast<int64_t>(end - here);
}

void PutU16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

void TTGAImage::LoadFromStream(std::istream& stream) {
    uint8_t raw[TgaHeader::kBytes];
    ReadExactly(stream, raw, sizeof raw);
    const TgaHeader header = TgaHeader::Parse(raw);
    if (header.colourMapType != 0) throw ETGAException("ColorMapped TGA unsupported");
    if (header.pixelDepth != 24 && header.pixelDepth != 32)
        throw ETGAException("Unsupported TGA ImageType");

    Bitmap loaded;
    loaded.format = header.pixelDepth == 24 ? BitmapFormat::Bgr24 : BitmapFormat::Bgrx32;
    loaded.width = header.width;
    loaded.height = header.height;
    std::vector<uint8_t> skipped(header.idLength);
    ReadExactly(stream, skipped.data(), skipped.size());

    const int bpp = header.pixelDepth / 8;
    const size_t pixelCount = size_t(header.width) * header.height;
    if (header.imageType != 0 && static_cast<int64_t>(pixelCount) > kMaxImagePixels)
        throw ETGAException("TGA image too large");
    // A seekable stream tells up front whether it can hold what the header promises.
    const int64_t remaining = header.imageType == 0 ? -1 : RemainingBytes(stream);
    if (remaining >= 0 && ((header.imageType == 2 && int64_t(pixelCount * bpp) > remaining) ||
                           (header.imageType == 10 &&
                            int64_t(pixelCount) > MaxTgaRunLengthPixels(size_t(remaining), bpp))))
        throw ETGAException(kShortData);
    std::vector<uint8_t> fileRows;
    switch (header.imageType) {
    case 0:
        loaded.width = 0;
        loaded.height = 0;
        break;
    case 2:
        fileRows = ReadBytes(stream, pixelCount * bpp);
        break;
    case 10:
        fileRows.reserve(std::min(pixelCount * bpp, size_t(1) << 20));
        AppendTgaRunLength(
            [&](void* into, size_t count) {
                ReadExactly(stream, into, count);
                return true;
            },
            bpp, pixelCount, fileRows);
        break;
    default:
        throw ETGAException("Unsupported TGA ImageType " + std::to_string(header.imageType));
    }

    // Scan lines are top-down; a bottom-left origin file stores the bottom row first.
    const bool topLeft = (header.descriptor & TgaHeader::kTopLeftOrigin) != 0;
    const size_t rowBytes = loaded.RowBytes();
    loaded.pixels.resize(rowBytes * loaded.height);
    for (int r = 0; r < loaded.height; ++r) {
        const int line = topLeft ? r : loaded.height - 1 - r;
        std::copy_n(fileRows.begin() + rowBytes * r, rowBytes, loaded.ScanLine(line));
    }
    static_cast<Bitmap&>(*this) = std::move(loaded);
}

void TTGAImage::LoadFromBytes(const uint8_t* data, size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    LoadFromStream(stream);
}

void TTGAImage::SaveToStream(std::ostream& stream) const {
    const bool knownFormat = format == BitmapFormat::Bgr24 || format == BitmapFormat::Bgrx32;
    if (!knownFormat || width < 0 || height < 0 || width > 65535 || height > 65535 || !Consistent())
        throw ETGAException("Unsupported Bitmap format");
    uint8_t header[TgaHeader::kBytes] = {};
    header[2] = 2;
    PutU16(header + 12, static_cast<uint32_t>(width));
    PutU16(header + 14, static_cast<uint32_t>(height));
    header[16] = format == BitmapFormat::Bgr24 ? 24 : 32;
    stream.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int line = height - 1; line >= 0; --line)
        stream.write(reinterpret_cast<const char*>(ScanLine(line)),
                     static_cast<std::streamsize>(RowBytes()));
    if (!stream) throw ETGAException("Error writing TGA data");
}

} // namespace quarn
