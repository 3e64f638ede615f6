// The Windows bitmap font: a GDI font selected into the current GL context's device context
// and turned into glyph display lists by wglUseFontBitmaps; text extents measured by GDI.
#pragma once

#include "platform/gl/GL.h"

#include <string>

namespace quarn {

class GdiFont {
  public:
    // Creates the font (face, pixel height, weight) and fills the count lists from base with
    // the glyphs of codes first..first+count-1. False with a message when GDI or WGL cannot.
    bool Build(const char* face, int pixelHeight, int weight, GLuint base, int first, int count,
               std::string& error);
    // Height of the text's extent in the selected font (0 when the font was never built).
    int TextHeight(const char* text) const;
    bool Built() const { return deviceContext_ != nullptr; }

  private:
    void* deviceContext_ = nullptr;
};

} // namespace quarn
