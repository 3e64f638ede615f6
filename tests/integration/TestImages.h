// Image files for tests that load textures through the exports.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace probe {

// A w x h 24-bit BMP (bottom row first, rows padded to four bytes), every pixel rgb.
inline void WriteSolidBmp(const std::string& path, int w, int h, std::array<int, 3> rgb) {
    const size_t row = (size_t(w) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> b(54 + row * size_t(h), 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i)
            b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1, b[28] = 24;
    for (size_t y = 0; y < size_t(h); ++y)
        for (size_t x = 0; x < size_t(w); ++x) {
            uint8_t* p = &b[54 + y * row + x * 3];
            p[0] = uint8_t(rgb[2]), p[1] = uint8_t(rgb[1]), p[2] = uint8_t(rgb[0]);
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

} // namespace probe
