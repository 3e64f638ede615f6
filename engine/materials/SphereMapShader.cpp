#include "engine/materials/SphereMapShader.h"

#include "engine/materials/States.h"

namespace quarn {

void TQGLSphereMapShader::Apply(uint32_t) {
    TQGLStates& cache = RequireStates();
    if (!textures.HasTexture()) {
        cache.ResetTextureUnits();
        return;
    }
    for (int i = 0; i < textures.Count(); ++i) {
        BindTexture(*textures.Items(i));
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
}

void TQGLSphereMapShader::Unapply() {
    TQGLStates& cache = RequireStates();
    for (int i = 0; i < textures.Count(); ++i) {
        const GLenum unit = textures.Items(i)->unit;
        cache.SetTextureUnit(unit, false);
        glActiveTextureARB(unit);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_GEN_R);
    }
    glActiveTextureARB(GL_TEXTURE0);
}

} // namespace quarn
