// A material: fixed-function colours, lighting, fog and blending switches and an ordered stack
// of stages. The material list applies it before a batch is drawn and unapplies it when it
// switches to another material.
#pragma once

#include "common/QuarnMath.h"
#include "engine/core/GLHandles.h"
#include "engine/materials/Shader.h"

#include <cstdint>
#include <string>
#include <utility>

namespace quarn {

class TQGLStates;

class TQGLBaseMaterial {
  public:
    explicit TQGLBaseMaterial(std::string materialName = std::string())
        : name(std::move(materialName)) {}
    virtual ~TQGLBaseMaterial() = default;
    TQGLBaseMaterial(const TQGLBaseMaterial&) = delete;
    TQGLBaseMaterial& operator=(const TQGLBaseMaterial&) = delete;

    // Texture units off, stages in order (or GL_TEXTURE_2D off without stages), lighting with
    // the material colours, fog off where this material hides it, blending.
    void Apply(uint32_t ticks);
    // Stages in the same order (render targets excepted), texture units off, blending reset to
    // (GL_ZERO, GL_ONE) and off, fog back on. Lighting stays as Apply set it.
    void Unapply();

    std::string name;
    TQGLShaders shaders;
    bool spareFlag = false; // kept for stored materials; nothing reads it
    // Ambient 0.8 and diffuse 0.2 are the reverse of GL's own defaults, on purpose.
    Vec3 ambient{0.8f, 0.8f, 0.8f};
    Vec3 diffuse{0.2f, 0.2f, 0.2f};
    Vec3 emissive{0.0f, 0.0f, 0.0f};
    Vec3 specular{0.0f, 0.0f, 0.0f};
    float gloss = 0.0f;
    bool blendFlag = false;
    GLenum blendSource = GL_ZERO;
    GLenum blendDest = GL_ONE;
    bool lightFlag = true;
    TQGLStates* states = nullptr; // the scene's texture-unit cache, set by the material list
    Vec3 globalEmissive{0.0f, 0.0f, 0.0f};
    bool showFogFlag = true;

  private:
    TQGLStates& RequireStates() const;
};

class TQGLMaterial : public TQGLBaseMaterial, public HeldAfterFreeAs<kMaterialHandle> {
  public:
    using TQGLBaseMaterial::TQGLBaseMaterial;

    LiveHandle liveHandle{this, kMaterialHandle};
};

} // namespace quarn
