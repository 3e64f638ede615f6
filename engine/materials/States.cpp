#include "engine/materials/States.h"

#include <cmath>

namespace quarn {

namespace {

int UnitSlot(GLenum unit) {
    if (unit < GL_TEXTURE0 || unit >= GL_TEXTURE0 + TQGLStates::kTrackedUnits) return -1;
    return static_cast<int>(unit - GL_TEXTURE0);
}

void Line(float x0, float y0, float z0, float x1, float y1, float z1) {
    glVertex3f(x0, y0, z0);
    glVertex3f(x1, y1, z1);
}

} // namespace

void TQGLStates::ResetTextureUnits() {
    for (int i = 0; i < kTrackedUnits; ++i) {
        if (!enabled[i]) continue;
        glActiveTextureARB(GL_TEXTURE0 + i);
        glDisable(GL_TEXTURE_2D);
        enabled[i] = false;
    }
}

void TQGLStates::SetTextureUnit(GLenum unit, bool enable) {
    const int slot = UnitSlot(unit);
    if (slot < 0 || enabled[slot] == enable) return;
    enabled[slot] = enable;
    glActiveTextureARB(unit);
    if (enable)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

bool TQGLStates::IsEnabled(GLenum unit) const {
    const int slot = UnitSlot(unit);
    return slot >= 0 && enabled[slot];
}

void TQGLStates::DrawAxes(float size) {
    const float s = size;
    const float a = std::fabs(0.1f * s);
    const float b = a / 2.0f;
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);

    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    Line(-s, 0, 0, s, 0, 0);
    Line(s, 0, 0, s - a, 0, -a);
    Line(s, 0, 0, s - a, 0, a);
    Line(s + b, 0, -b, s + 3 * b, 0, b); // letter X
    Line(s + 3 * b, 0, -b, s + b, 0, b);

    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    Line(0, -s, 0, 0, s, 0);
    Line(0, s, 0, 0, s - a, -a);
    Line(0, s, 0, 0, s - a, a);

    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    Line(0, 0, -s, 0, 0, s);
    Line(0, 0, s, -a, 0, s - a);
    Line(0, 0, s, a, 0, s - a);
    Line(-b, 0, s + b, b, 0, s + b); // letter Z: top bar, diagonal, bottom bar
    Line(b, 0, s + b, -b, 0, s + 2 * b);
    Line(-b, 0, s + 2 * b, b, 0, s + 2 * b);

    glEnd();
    glPopAttrib();
}

void TQGLStates::DrawAxesUnlit() {
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    DrawAxes(10.0f);
    glPopAttrib();
}

} // namespace quarn
