#include "engine/materials/CubeMapShader.h"

#include "engine/materials/States.h"

namespace quarn {

void TQGLCubeMapShader::Apply(uint32_t) {
    TQGLStates& cache = RequireStates();
    if (!textures.HasTexture()) {
        cache.ResetTextureUnits();
        return;
    }
    const TQGLTexture& first = *textures.Items(0);
    cache.SetTextureUnit(first.unit, true);
    for (GLenum coord : {GL_S, GL_T, GL_R})
        glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    // Set before the stage's own texture is bound, so they act on the cube map bound now.
    const GLint clamp = static_cast<GLint>(EffectiveWrapMode(GL_CLAMP));
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, clamp);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, clamp);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glBindTexture(first.target, first.handle);
    glActiveTextureARB(GL_TEXTURE0);
}

void TQGLCubeMapShader::Unapply() {
    TQGLStates& cache = RequireStates();
    // A stage whose texture was never made has no unit to switch off.
    if (textures.Count() > 0) cache.SetTextureUnit(textures.Items(0)->unit, false);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glActiveTextureARB(GL_TEXTURE0);
}

} // namespace quarn
