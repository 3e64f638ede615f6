#include "engine/materials/BitmapFile.h"

#include "common/EngineError.h"

#include <cstdio>
#include <memory>

namespace quarn {

namespace {
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
} // namespace

void SaveBitmapFile(const std::string& fileName, int width, int height,
                    const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || rgb.size() < size_t(width) * size_t(height) * 3)
        throw EngineError("Invalid bitmap for " + fileName);
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3); // rows padded to 4 bytes
    const size_t imageBytes = rowBytes * size_t(height);
    std::vector<uint8_t> out(54 + imageBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, uint32_t(width));
    Put32(out, 22, uint32_t(height));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, uint32_t(imageBytes));
    Put32(out, 38, 2835); // 72 dpi
    Put32(out, 42, 2835);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            uint8_t* q = &out[54 + size_t(y) * rowBytes + size_t(x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(fileName.c_str(), "wb"), &std::fclose);
    if (!f || std::fwrite(out.data(), 1, out.size(), f.get()) != out.size())
        throw EngineError("Unable to write bitmap file " + fileName);
}

} // namespace quarn
