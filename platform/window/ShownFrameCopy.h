// The copy of the last frame a window showed, for the screenshot exports. Reading the front
// buffer after the swap gives nothing on some drivers (GLX on Mesa, Wine's WGL), and a
// single-buffered offscreen surface already holds the next frame's clear by then, so the
// finished frame is copied into a framebuffer of our own just before it is shown.
#pragma once

#include "platform/gl/GL.h"

#include <cstdint>
#include <vector>

namespace quarn {

class ShownFrameCopy {
  public:
    // Copies the frame drawn into the window's back buffer (client size width x height);
    // nothing without framebuffer objects.
    void Keep(int width, int height);
    // Frees the copy (while the context is current).
    void Free();
    // RGB pixels of the rectangle (x, y from the top-left, y downward) of the last frame shown,
    // bottom-up rows; pixels outside the frame are black. Without a copy the front buffer of a
    // clientW x clientH window is read.
    bool Read(int x, int y, int width, int height, int clientW, int clientH,
              std::vector<uint8_t>& rgbBottomUp) const;

  private:
    static bool FramebuffersAvailable();

    GLuint frame_ = 0, colour_ = 0;
    int width_ = 0, height_ = 0;
};

} // namespace quarn
