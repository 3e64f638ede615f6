// Material stages: the base every stage class derives from, and a material's owned stage list
// in application order. The only place stages are created is TQGLShaders::AddShader.
#pragma once

#include "common/ObjectList.h"
#include "engine/core/GLHandles.h"
#include "engine/materials/Texture.h"

#include <cstdint>
#include <string>

namespace quarn {

class TQGLStates;

// Stage kinds as stored in scene files and passed by the material exports.
enum TQGLStageKind : uint8_t {
    kTextureStage = 0,
    kCubeMapStage = 1,
    kSphereMapStage = 2,
    kBumpMapStage = 3,
    kNoStage = 4,
    kGLSLStage = 5,
    kRenderTargetStage = 6,
};

class TQGLBaseShader : public HeldAfterFreeAs<kMaterialStageHandle> {
  public:
    explicit TQGLBaseShader(uint8_t stageKind) : kind(stageKind) {}
    virtual ~TQGLBaseShader() = default;
    TQGLBaseShader(const TQGLBaseShader&) = delete;
    TQGLBaseShader& operator=(const TQGLBaseShader&) = delete;

    // Ticks is the frame time in milliseconds.
    virtual void Apply(uint32_t ticks) = 0;
    virtual void Unapply() = 0;

    // Whether switching away from the material unapplies this stage: render-target stages
    // are left alone.
    bool UnappliedOnSwitch() const;

    std::string name; // file name of the first texture, without directory
    TQGLTextures textures;
    uint8_t kind;
    bool animated = false;
    int32_t firstFrame = 0;
    int32_t lastFrame = 0;
    int32_t frameInterval = 0; // ms
    int64_t lastSwitch = 0;    // frame time of the last switch, ms (64-bit: never wraps)
    int32_t currentFrame = 0;
    TQGLStates* states = nullptr; // the scene's texture-unit cache, not owned
    LiveHandle liveHandle{this, kMaterialStageHandle};

  protected:
    // The cache; a stage that was never handed one raises instead of crashing.
    TQGLStates& RequireStates() const;
    // Enable the texture's unit through the cache, bind the texture and set its env mode. The
    // bind goes to whichever unit is active: the cache switches units only on a change.
    void BindTexture(const TQGLTexture& texture) const;
};

class TQGLShader : public TQGLBaseShader {
  public:
    using TQGLBaseShader::TQGLBaseShader;
};

class TQGLShaders {
  public:
    // Creates the stage class of that kind and appends it; nullptr (nothing appended) for a
    // kind without a stage class.
    TQGLShader* AddShader(uint8_t kind);
    bool HasShaders() const { return items_.Count() > 0; }
    int Count() const { return items_.Count(); }
    TQGLShader* Items(int index) const { return items_.Get(index); }
    void Delete(int index) { items_.Delete(index); }

  private:
    ObjectList<TQGLShader> items_;
};

} // namespace quarn
