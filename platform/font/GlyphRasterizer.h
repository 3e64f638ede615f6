// The bitmap-font stand-in: a face found through fontconfig, rasterised by FreeType into
// one-bit glyph bitmaps for the printable codes 32..127, in the layout glBitmap takes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

struct GlyphBitmap {
    int width = 0, height = 0;
    float xOrigin = 0, yOrigin = 0; // the pen position inside the bitmap, from its bottom-left
    float advance = 0;              // pixels the pen moves right after the glyph
    std::vector<uint8_t> bits;      // rows bottom-up, (width + 7) / 8 bytes each, MSB first
};

class GlyphRasterizer {
  public:
    static constexpr int kFirstCode = 32;
    static constexpr int kCodeCount = 96;

    // Rasterises the face fontconfig picks for family (bold when asked) at pixelHeight, falling
    // back to DejaVu Sans; false with a message when no face can be loaded.
    bool Load(const std::string& family, bool bold, int pixelHeight, std::string& error);

    // Code 32..127; other codes give the glyph of '?'.
    const GlyphBitmap& Glyph(int code) const;
    // Height of a line's extent (ascent + descent), the same for every text.
    int LineHeight() const { return lineHeight_; }
    const std::string& FacePath() const { return facePath_; }

  private:
    bool LoadFile(const std::string& path, int index, int pixelHeight, std::string& error);

    std::array<GlyphBitmap, kCodeCount> glyphs_{};
    int lineHeight_ = 0;
    std::string facePath_;
};

} // namespace quarn
