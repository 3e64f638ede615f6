// The render-target stage (kind 6): a texture filled from the frame buffer instead of a file.
// The scene's map pass renders into the lower-left corner and copies that square here.
#pragma once

#include "engine/materials/Shader.h"

namespace quarn {

class TQGLRenderTargetShader : public TQGLShader {
  public:
    explicit TQGLRenderTargetShader(uint8_t stageKind = kRenderTargetStage)
        : TQGLShader(stageKind) {}

    void Apply(uint32_t ticks) override;
    void Unapply() override;
    // Copies the lower-left size x size pixels of the read buffer into the first texture.
    void CopyFromFrameBuffer(int32_t copySize);

    int32_t size = 0;
};

} // namespace quarn
