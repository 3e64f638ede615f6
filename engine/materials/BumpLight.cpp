#include "engine/materials/BumpLight.h"

#include "engine/materials/States.h"

namespace quarn {

namespace {

TQGLBumpLight*& CurrentLight() {
    static TQGLBumpLight* light = nullptr;
    return light;
}

} // namespace

TQGLBumpLight::TQGLBumpLight(TQGLStates* stateCache) : states(stateCache) {
    CurrentLight() = this;
}

TQGLBumpLight::~TQGLBumpLight() {
    if (CurrentLight() == this) CurrentLight() = nullptr;
}

TQGLBumpLight* TQGLBumpLight::SceneLight() {
    return CurrentLight();
}

void TQGLBumpLight::Update(uint32_t) {
    glTranslatef(Position.x, Position.y, Position.z);
}

void TQGLBumpLight::Render(uint32_t) {
    if (Visible && states) states->DrawAxesUnlit();
}

} // namespace quarn
