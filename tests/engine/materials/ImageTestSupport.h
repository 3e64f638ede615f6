// Helpers the image tests share: SHA-256 of decoded pixels (the form the reference values
// use), test files, and builders for hand-made BMP and TGA files.
#pragma once

#include "engine/materials/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarn::test {

using Bytes = std::vector<uint8_t>;

std::string Sha256Hex(const Bytes& bytes);
// Pixels as RGBA, rows top to bottom, alpha 255 where the image has none.
Bytes RgbaTopDown(const Bitmap& bitmap);

// Path of a copied test file; empty when the data folder is not there.
std::string TestDataPath(const std::string& name);
Bytes ReadFileBytes(const std::string& path);
// Writes bytes to a file in /tmp and returns its path.
std::string WriteTemporaryFile(const std::string& name, const Bytes& bytes);

Bytes Concat(Bytes a, const Bytes& b);
// A 24-bit BMP of RGB triples given top row first, rows padded to 4 bytes with 0xEE, stored
// bottom-up (or top-down, with a negative height), pixel data gap bytes after the headers.
Bytes MakeBmp24(int width, int height, const Bytes& rgbTopFirst, bool topDown = false,
                uint32_t gap = 0);
// An 18-byte TGA header followed by an ID field of idLength bytes.
Bytes MakeTgaHeader(uint8_t type, int width, int height, uint8_t depth, uint8_t descriptor = 0,
                    uint8_t idLength = 0, uint8_t colourMapType = 0);

} // namespace quarn::test
