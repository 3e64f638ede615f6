// The cube-map stage (kind 1): the first texture of the stage as a cube map with
// reflection-vector texture coordinates. Apply and Unapply both leave GL_TEXTURE0 active.
#pragma once

#include "engine/materials/Shader.h"

namespace quarn {

class TQGLCubeMapShader : public TQGLShader {
  public:
    explicit TQGLCubeMapShader(uint8_t stageKind = kCubeMapStage) : TQGLShader(stageKind) {}

    void Apply(uint32_t ticks) override;
    void Unapply() override;
};

} // namespace quarn
