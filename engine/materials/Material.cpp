#include "engine/materials/Material.h"

#include "common/EngineError.h"
#include "engine/materials/FogSwitch.h"
#include "engine/materials/States.h"

namespace quarn {

namespace {

// Colours go to GL with alpha 1: GL only uses the diffuse alpha for lit vertices, and an
// opaque material is what a three-component colour means.
void SendColour(GLenum pname, const Vec3& c) {
    const GLfloat rgba[4] = {c.x, c.y, c.z, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, pname, rgba);
}

} // namespace

TQGLStates& TQGLBaseMaterial::RequireStates() const {
    if (!states)
        throw EngineError(Format(
            "Material %s has no texture-unit cache (it is in no material list)", name.c_str()));
    return *states;
}

void TQGLBaseMaterial::Apply(uint32_t ticks) {
    TQGLStates& cache = RequireStates();
    cache.ResetTextureUnits();
    if (shaders.HasShaders()) {
        for (int i = 0; i < shaders.Count(); ++i) {
            TQGLShader* stage = shaders.Items(i);
            if (!stage->states) stage->states = &cache;
            stage->Apply(ticks);
        }
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (lightFlag) {
        SendColour(GL_AMBIENT, ambient);
        SendColour(GL_DIFFUSE, diffuse);
        const GLfloat shininess[1] = {gloss};
        glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
        SendColour(GL_SPECULAR, specular);
        SendColour(GL_EMISSION, Vec3{emissive.x + globalEmissive.x, emissive.y + globalEmissive.y,
                                     emissive.z + globalEmissive.z});
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
    if (GlobalFogShown() && !showFogFlag) glDisable(GL_FOG);
    if (blendFlag) {
        glBlendFunc(blendSource, blendDest);
        glEnable(GL_BLEND);
    }
}

void TQGLBaseMaterial::Unapply() {
    TQGLStates& cache = RequireStates();
    if (shaders.HasShaders()) {
        for (int i = 0; i < shaders.Count(); ++i) {
            TQGLShader* stage = shaders.Items(i);
            if (!stage->UnappliedOnSwitch()) continue;
            if (!stage->states) stage->states = &cache;
            stage->Unapply();
        }
        cache.ResetTextureUnits();
    }
    if (blendFlag) {
        glBlendFunc(GL_ZERO, GL_ONE);
        glDisable(GL_BLEND);
    }
    if (GlobalFogShown() && !showFogFlag) glEnable(GL_FOG);
}

} // namespace quarn
