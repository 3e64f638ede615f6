// The scene's font: bold 10-pixel glyph display lists for codes 32..127 and the lines of screen
// text of the current frame, drawn in white at the end of the frame and then forgotten.
#pragma once

#include "platform/font/GlyphRasterizer.h"
#ifdef _WIN32
#include "platform/font/GdiFont.h"
#endif
#include "platform/gl/GL.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

struct TQGLFontString {
    std::string text;
    int32_t x = 0, y = 0;
};

class TQGLFont {
  public:
    // Compiles the two overlay lists (2D in the creation size, and back).
    TQGLFont(int32_t width, int32_t height);
    ~TQGLFont();
    TQGLFont(const TQGLFont&) = delete;
    TQGLFont& operator=(const TQGLFont&) = delete;

    // The 96 glyph lists. A font that cannot be loaded is reported once; text then draws
    // nothing.
    void BuildFont();
    // Null text adds nothing.
    void AddText(const char* text, int32_t x, int32_t y);
    // One line at raster position (x, height - (y + line height)); bytes outside 32..127 are
    // drawn as '?'. Null draws nothing.
    void DrawText(const char* text, int32_t x, int32_t y);
    // Draws every line of the frame, then forgets them all.
    void RenderTexts();

    size_t PendingLines() const { return lineCount_; }
    int LineHeight() const { return TextHeight(""); }
    // Height of the text's extent in the font.
    int TextHeight(const char* text) const;
    // Which rasteriser made the glyphs: "GDI" (Windows) or "FreeType".
    const char* GlyphSource() const;

    GLuint glyphBase = 0;
    GLuint beginOverlay = 0, endOverlay = 0;
    int32_t width, height;

  private:
    GlyphRasterizer glyphs_;
#ifdef _WIN32
    GdiFont gdi_;
#endif
    // Lines of this frame; the storage is kept from frame to frame.
    std::vector<TQGLFontString> lines_;
    size_t lineCount_ = 0;
};

} // namespace quarn
