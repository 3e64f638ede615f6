#include "engine/materials/RenderTargetShader.h"

#include "engine/materials/States.h"

namespace quarn {

void TQGLRenderTargetShader::Apply(uint32_t) {
    if (!textures.HasTexture()) {
        RequireStates().SetTextureUnit(GL_TEXTURE0, false);
        return;
    }
    for (int i = 0; i < textures.Count(); ++i)
        BindTexture(*textures.Items(i));
}

void TQGLRenderTargetShader::Unapply() {
    RequireStates().ResetTextureUnits();
}

void TQGLRenderTargetShader::CopyFromFrameBuffer(int32_t copySize) {
    if (!textures.HasTexture()) {
        RequireStates().SetTextureUnit(GL_TEXTURE0, false);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, textures.Items(0)->handle);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, copySize, copySize, 0);
}

} // namespace quarn
