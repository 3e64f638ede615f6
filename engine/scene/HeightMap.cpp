#include "engine/scene/HeightMap.h"

#include "common/EngineError.h"
#include "engine/materials/BmpReader.h"
#include "engine/materials/JpegReader.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace quarn {

bool IsJpegHeightMapName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return tail == ".JPG";
}

HeightMap LoadHeightMap(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EngineError("Unable to open height map " + fileName);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    Bitmap image;
    if (IsJpegHeightMapName(fileName)) {
        std::string reason;
        if (!DecodeJpeg(bytes.data(), bytes.size(), image, kMaxImagePixels, &reason))
            throw EngineError("Couldn't load height map \"" + fileName + "\": " + reason);
    } else if (DecodeBmp(bytes.data(), bytes.size(), image) != BmpError::None) {
        throw EngineError("Couldn't load height map \"" + fileName + "\": not a readable bitmap");
    }
    HeightMap map;
    map.width = image.width;
    map.height = image.height;
    map.red.resize(size_t(image.width) * size_t(image.height));
    const size_t bpp = size_t(image.BytesPerPixel());
    // The grid's row 0 is the top of the picture; the decoders hand red first.
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.width; ++x)
            map.red[size_t(y) * size_t(image.width) + size_t(x)] = row[size_t(x) * bpp];
    }
    return map;
}

} // namespace quarn
