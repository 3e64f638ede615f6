#include "ImageTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace quarn::test {
namespace {

uint32_t Rotr(uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

void PutLe(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

std::string Sha256Hex(const Bytes& input) {
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    Bytes m = input;
    m.push_back(0x80);
    while (m.size() % 64 != 56)
        m.push_back(0);
    for (int i = 7; i >= 0; --i)
        m.push_back(static_cast<uint8_t>((input.size() * 8) >> (8 * i)));
    for (size_t at = 0; at < m.size(); at += 64) {
        uint32_t w[64], v[8];
        for (int i = 0; i < 64; ++i)
            w[i] = i < 16 ? uint32_t(m[at + 4 * i]) << 24 | uint32_t(m[at + 4 * i + 1]) << 16 |
                                uint32_t(m[at + 4 * i + 2]) << 8 | m[at + 4 * i + 3]
                          : w[i - 16] + w[i - 7] +
                                (Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) +
                                (Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
        std::copy(h, h + 8, v);
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = v[7] + (Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25)) +
                                ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
            const uint32_t t2 = (Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22)) +
                                ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            std::copy_backward(v, v + 7, v + 8);
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i)
            h[i] += v[i];
    }
    char hex[65];
    for (int i = 0; i < 8; ++i)
        std::snprintf(hex + 8 * i, 9, "%08x", h[i]);
    return hex;
}

Bytes RgbaTopDown(const Bitmap& bitmap) {
    Bytes out;
    const int bpp = bitmap.BytesPerPixel();
    const int red = bitmap.RedFirst() ? 0 : 2;
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.width; ++x, p += bpp)
            out.insert(out.end(), {p[red], p[1], p[2 - red], bpp == 4 ? p[3] : uint8_t(255)});
    }
    return out;
}

std::string TestDataPath(const std::string& name) {
    struct stat info;
    if (::stat(QUARN_IMAGE_TEST_DATA, &info) != 0) return {};
    return std::string(QUARN_IMAGE_TEST_DATA) + "/" + name;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string WriteTemporaryFile(const std::string& name, const Bytes& bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("quarn_image_test_" + name)).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes MakeBmp24(int width, int height, const Bytes& rgbTopFirst, bool topDown, uint32_t gap) {
    Bytes pixels;
    for (int i = 0; i < height; ++i) {
        const uint8_t* p = rgbTopFirst.data() + size_t(topDown ? i : height - 1 - i) * width * 3;
        for (int x = 0; x < width; ++x, p += 3)
            pixels.insert(pixels.end(), {p[2], p[1], p[0]});
        while (pixels.size() % 4)
            pixels.push_back(0xEE); // padding that is not black
    }
    Bytes file = {'B', 'M'};
    for (uint32_t v : {54 + gap + uint32_t(pixels.size()), 0u, 54 + gap, 40u, uint32_t(width),
                       uint32_t(topDown ? -height : height)})
        PutLe(file, v, 4);
    PutLe(file, 1, 2);
    PutLe(file, 24, 2);
    for (uint32_t v : {0u, uint32_t(pixels.size()), 2835u, 2835u, 0u, 0u})
        PutLe(file, v, 4);
    file.resize(file.size() + gap, 0x55);
    return Concat(file, pixels);
}

Bytes MakeTgaHeader(uint8_t type, int width, int height, uint8_t depth, uint8_t descriptor,
                    uint8_t idLength, uint8_t colourMapType) {
    Bytes h = {idLength, colourMapType, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe(h, uint32_t(width), 2);
    PutLe(h, uint32_t(height), 2);
    h.insert(h.end(), {depth, descriptor});
    h.resize(h.size() + idLength, 'x');
    return h;
}

} // namespace quarn::test
