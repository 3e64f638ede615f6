#include "engine/materials/Shader.h"

#include "common/EngineError.h"
#include "engine/materials/BumpMapShader.h"
#include "engine/materials/CubeMapShader.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/RenderTargetShader.h"
#include "engine/materials/SphereMapShader.h"
#include "engine/materials/States.h"
#include "engine/materials/TextureShader.h"

#include <memory>

namespace quarn {

bool TQGLBaseShader::UnappliedOnSwitch() const {
    switch (kind) {
    case kTextureStage:
    case kCubeMapStage:
    case kSphereMapStage:
    case kBumpMapStage:
    case kGLSLStage:
        return true;
    default:
        return false;
    }
}

TQGLStates& TQGLBaseShader::RequireStates() const {
    if (!states) throw EngineError(Format("Stage of kind %d has no texture-unit cache", kind));
    return *states;
}

void TQGLBaseShader::BindTexture(const TQGLTexture& texture) const {
    RequireStates().SetTextureUnit(texture.unit, true);
    glBindTexture(GL_TEXTURE_2D, texture.handle);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(texture.envMode));
}

TQGLShader* TQGLShaders::AddShader(uint8_t kind) {
    std::unique_ptr<TQGLShader> stage;
    switch (kind) {
    case kTextureStage:
        stage = std::make_unique<TQGLTextureShader>(kind);
        break;
    case kCubeMapStage:
        stage = std::make_unique<TQGLCubeMapShader>(kind);
        break;
    case kSphereMapStage:
        stage = std::make_unique<TQGLSphereMapShader>(kind);
        break;
    case kBumpMapStage:
        stage = std::make_unique<TQGLBumpMapShader>(kind);
        break;
    case kGLSLStage:
        stage = std::make_unique<TQGLGLSLShader>(kind);
        break;
    case kRenderTargetStage:
        stage = std::make_unique<TQGLRenderTargetShader>(kind);
        break;
    default:
        break; // kNoStage and unknown codes create nothing
    }
    if (!stage) return nullptr;
    return items_.AddNew(std::move(stage));
}

} // namespace quarn
