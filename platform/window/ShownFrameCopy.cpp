#include "platform/window/ShownFrameCopy.h"

#include <algorithm>

namespace quarn {

bool ShownFrameCopy::FramebuffersAvailable() {
    return gl::HasEntryPoint("glBlitFramebuffer") && gl::HasEntryPoint("glGenFramebuffers") &&
           gl::HasEntryPoint("glRenderbufferStorage");
}

void ShownFrameCopy::Keep(int clientW, int clientH) {
    if (!gl::EntryPointsLoaded() || !FramebuffersAvailable()) return;
    if (frame_ == 0 || width_ != clientW || height_ != clientH) {
        Free();
        if (clientW <= 0 || clientH <= 0) return;
        glGenFramebuffers(1, &frame_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, clientW, clientH);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        GLint previous = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frame_);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  colour_);
        const bool complete =
            glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(previous));
        if (!complete) {
            Free();
            return;
        }
        width_ = clientW;
        height_ = clientH;
    }
    GLint drawBinding = 0, readBinding = 0, drawBuffer = GL_BACK, readBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    const bool scissor = glIsEnabled(GL_SCISSOR_TEST) != 0;
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glReadBuffer(GLenum(drawBuffer)); // the buffer the frame was drawn into
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frame_);
    glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glReadBuffer(GLenum(readBuffer));
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawBinding));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readBinding));
}

void ShownFrameCopy::Free() {
    if (gl::EntryPointsLoaded() && FramebuffersAvailable()) {
        if (frame_) glDeleteFramebuffers(1, &frame_);
        if (colour_) glDeleteRenderbuffers(1, &colour_);
    }
    frame_ = colour_ = 0;
    width_ = height_ = 0;
}

bool ShownFrameCopy::Read(int x, int y, int width, int height, int clientW, int clientH,
                          std::vector<uint8_t>& rgb) const {
    if (!gl::EntryPointsLoaded() || width <= 0 || height <= 0) return false;
    rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
    // Before the first swap the window shows nothing yet.
    if (frame_ == 0 && FramebuffersAvailable()) return true;
    const int frameW = frame_ ? width_ : clientW;
    const int frameH = frame_ ? height_ : clientH;
    // Only the part inside the frame is read; the rest stays black. 64-bit bounds: x + width
    // may not fit an int.
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(x) + width, frameW);
    const int64_t y1 = std::min<int64_t>(int64_t(y) + height, frameH);
    if (x1 <= x0 || y1 <= y0) return true;
    const int partW = int(x1 - x0), partH = int(y1 - y0);
    std::vector<uint8_t> part(static_cast<size_t>(partW) * static_cast<size_t>(partH) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL rows count from the bottom of the window.
    if (frame_ != 0) {
        GLint previous = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_);
        glReadPixels(int(x0), int(frameH - y1), partW, partH, GL_RGB, GL_UNSIGNED_BYTE,
                     part.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
    } else {
        glReadBuffer(GL_FRONT);
        glReadPixels(int(x0), int(frameH - y1), partW, partH, GL_RGB, GL_UNSIGNED_BYTE,
                     part.data());
        glReadBuffer(GL_BACK);
    }
    for (int row = 0; row < partH; ++row) {
        // part row 0 is window row y1-1; destination rows are bottom-up from y+height-1.
        const int64_t windowRow = y1 - 1 - row;
        const int64_t destRow = (int64_t(y) + height - 1) - windowRow;
        std::copy_n(&part[static_cast<size_t>(row) * partW * 3], partW * 3,
                    &rgb[(static_cast<size_t>(destRow) * width + size_t(x0 - x)) * 3]);
    }
    return true;
}

} // namespace quarn
