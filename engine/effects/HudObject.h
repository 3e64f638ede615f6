// HUD objects: flat textured rectangles drawn over the 3D image in the orthographic screen
// each was created for. Position x is the centre's distance from the left edge, y from the top.
#pragma once

#include "common/ObjectList.h"
#include "engine/core/GLHandles.h"
#include "engine/core/BaseObject.h"

#include <cstdint>

namespace quarn {

class TQGLMaterialList;

class TQGLBaseHUD : public TQGLBaseObject, public HeldAfterFreeAs<kHudObjectHandle> {
  public:
    void SetWidth(float w);
    void SetHeight(float h);
    void SetX(float x) { Position.x = x; }
    void SetY(float y) { Position.y = y; }
    // Draws in its own projection; an object whose material is not in the list draws nothing.
    void Render(uint32_t ticks) override;

    float width = 0, height = 0;
    float halfWidth = 0, halfHeight = 0;
    int32_t screenWidth = 0, screenHeight = 0;
    TQGLMaterialList* materials = nullptr; // not owned
    int32_t materialIndex = -1;
    LiveHandle liveHandle{this, kHudObjectHandle};
};

class TQGLHudObjects : public ObjectList<TQGLBaseHUD> {
  public:
    // The visible ones, in creation order (later ones over earlier ones).
    void Render(uint32_t ticks);
};

} // namespace quarn
