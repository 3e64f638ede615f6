#include "engine/materials/TextureShader.h"

#include "engine/materials/States.h"

#include <algorithm>

namespace quarn {

void TQGLTextureShader::BindRange(int first, int last) const {
    first = std::max(first, 0);
    last = std::min(last, textures.Count() - 1);
    for (int i = first; i <= last; ++i)
        BindTexture(*textures.Items(i));
}

void TQGLTextureShader::Apply(uint32_t ticks) {
    TQGLStates& cache = RequireStates();
    if (!textures.HasTexture()) {
        cache.SetTextureUnit(GL_TEXTURE0, false);
        return;
    }
    const int count = textures.Count();
    if (!animated) {
        BindRange(0, count - 1);
        return;
    }
    BindRange(0, firstFrame - 1);
    // Signed arithmetic: at start (ticks below the interval) the first frame stays.
    if (static_cast<int64_t>(ticks) - frameInterval > lastSwitch) {
        lastSwitch = ticks;
        ++currentFrame;
        if (currentFrame > lastFrame) currentFrame = firstFrame;
    }
    BindRange(currentFrame, currentFrame);
    if (count - 1 > lastFrame) BindRange(lastFrame + 1, count - 1);
}

void TQGLTextureShader::Unapply() {
    RequireStates().ResetTextureUnits();
}

} // namespace quarn
