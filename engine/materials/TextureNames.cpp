#include "engine/materials/TextureNames.h"

#include <unordered_map>

namespace quarn {

namespace {

std::unordered_map<GLuint, int>& Counts() {
    static std::unordered_map<GLuint, int> counts;
    return counts;
}

} // namespace

void TQGLTextureNames::Acquire(GLuint name) {
    if (name != 0) ++Counts()[name];
}

void TQGLTextureNames::Release(GLuint name) {
    if (name == 0) return;
    auto it = Counts().find(name);
    if (it != Counts().end() && it->second > 1) {
        --it->second;
        return;
    }
    if (it != Counts().end()) Counts().erase(it);
    gl::ScopedDropWithoutContext dropWithoutContext; // names die with their context
    glDeleteTextures(1, &name);
}

int TQGLTextureNames::References(GLuint name) {
    auto it = Counts().find(name);
    return it == Counts().end() ? 0 : it->second;
}

} // namespace quarn
