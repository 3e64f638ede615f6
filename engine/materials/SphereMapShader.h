// The sphere-map stage (kind 2): its textures with sphere-map texture coordinates, each on the
// unit it was given (the stage's position in its material when made through the material API).
#pragma once

#include "engine/materials/Shader.h"

namespace quarn {

class TQGLSphereMapShader : public TQGLShader {
  public:
    explicit TQGLSphereMapShader(uint8_t stageKind = kSphereMapStage) : TQGLShader(stageKind) {}

    void Apply(uint32_t ticks) override;
    // Switches each texture's unit off with its coordinate generation and leaves GL_TEXTURE0
    // active.
    void Unapply() override;
};

} // namespace quarn
