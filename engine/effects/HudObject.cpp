#include "engine/effects/HudObject.h"

#include "engine/materials/MaterialList.h"
#include "platform/gl/GL.h"

namespace quarn {

void TQGLBaseHUD::SetWidth(float w) {
    width = w;
    halfWidth = w / 2;
}

void TQGLBaseHUD::SetHeight(float h) {
    height = h;
    halfHeight = h / 2;
}

void TQGLBaseHUD::Render(uint32_t ticks) {
    // A material outside the list would raise inside the frame; creation reported it already.
    if (!materials || materialIndex < 0 || materialIndex >= materials->Count()) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, screenWidth, 0, screenHeight, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glTranslatef(Position.x, float(screenHeight) - Position.y, 0);
    materials->SetMaterial(materialIndex, ticks);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-halfWidth, -halfHeight);
    glTexCoord2f(1, 0);
    glVertex2f(halfWidth, -halfHeight);
    glTexCoord2f(1, 1);
    glVertex2f(halfWidth, halfHeight);
    glTexCoord2f(0, 1);
    glVertex2f(-halfWidth, halfHeight);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void TQGLHudObjects::Render(uint32_t ticks) {
    for (const auto& hud : *this)
        if (hud->Visible) hud->Render(ticks);
}

} // namespace quarn
