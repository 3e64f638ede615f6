// The plain and animated texture stage (kind 0): binds its textures on their units, or shows
// the textures of its frame range one after another, switching at most every frameInterval ms.
#pragma once

#include "engine/materials/Shader.h"

namespace quarn {

class TQGLTextureShader : public TQGLShader {
  public:
    explicit TQGLTextureShader(uint8_t stageKind = kTextureStage) : TQGLShader(stageKind) {}

    void Apply(uint32_t ticks) override;
    void Unapply() override;

  private:
    // Binds textures first ... last that exist; an inconsistent frame range never reads
    // outside the list.
    void BindRange(int first, int last) const;
};

} // namespace quarn
